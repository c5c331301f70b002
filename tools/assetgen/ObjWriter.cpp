#include "ObjWriter.h"

#include <charconv>
#include <fstream>
#include <map>
#include <stdexcept>

namespace AssetGen {

namespace {

// Numbers lines of one kind ("vt" or "vn") in order of first use, writing
// each distinct line once.
class IndexedLines {
public:
    explicit IndexedLines(std::string& out) : m_Out(out) {}

    std::size_t indexOf(const std::string& line)
    {
        const auto [entry, inserted] = m_Indices.emplace(line, m_Indices.size() + 1);
        if (inserted) {
            m_Out += line;
        }
        return entry->second;
    }

private:
    std::string& m_Out;
    std::map<std::string, std::size_t> m_Indices;
};

std::string vectorLine(const char* keyword, const float* values, int count)
{
    std::string line = keyword;
    for (int i = 0; i < count; ++i) {
        line += ' ';
        line += ObjWriter::formatNumber(values[i]);
    }
    line += '\n';
    return line;
}

}

std::string ObjWriter::formatNumber(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 6);
    std::string text(buffer, result.ptr);
    // Values that round to zero would otherwise keep a stray sign.
    if (text == "-0.000000") {
        text.erase(0, 1);
    }
    return text;
}

void ObjWriter::write(const std::filesystem::path& file, const MeshBuilder& mesh, float creaseDegrees,
                      float geometricError)
{
    std::string positions = "# " + file.filename().string() + ", written by orbivane_assetgen\n";
    if (geometricError > 0.0f) {
        positions += "# geometric error: " + formatNumber(geometricError) + "\n";
    }
    for (const glm::vec3& position : mesh.positions()) {
        positions += vectorLine("v", &position.x, 3);
    }

    std::string texCoords;
    std::string normalLines;
    std::string faces;
    IndexedLines uvIndex(texCoords);
    IndexedLines normalIndex(normalLines);
    const std::vector<glm::vec3> normals = mesh.cornerNormals(creaseDegrees);
    std::size_t corner = 0;
    for (const MeshBuilder::Triangle& triangle : mesh.triangles()) {
        faces += 'f';
        for (const MeshBuilder::Corner& c : triangle) {
            const std::size_t uv = uvIndex.indexOf(vectorLine("vt", &c.uv.x, 2));
            const std::size_t normal = normalIndex.indexOf(vectorLine("vn", &normals[corner].x, 3));
            faces += ' ' + std::to_string(c.position + 1) + '/' + std::to_string(uv) + '/' + std::to_string(normal);
            ++corner;
        }
        faces += '\n';
    }

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << positions << texCoords << normalLines << faces;
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}
