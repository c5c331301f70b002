#include "ShipTextures.h"

#include "Noise.h"
#include "Pcg32.h"
#include "TrueTypeFont.h"

#include <glm/common.hpp>
#include <glm/exponential.hpp>
#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/vec2.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace AssetGen {

namespace {

constexpr int kHullSize = 1024;
constexpr int kEngineSize = 512;
// Panel edges snap to a grid of this many pixels, like real plating.
constexpr int kPanelGrid = 16;

const glm::vec3 kHullGrey(0.63f, 0.65f, 0.68f);
const glm::vec3 kDarkGrey(0.25f, 0.26f, 0.29f);
const glm::vec3 kLiveryBlue(0.15f, 0.26f, 0.50f);
const glm::vec3 kLiveryOrange(0.88f, 0.45f, 0.10f);
const glm::vec3 kPaintWhite(0.91f, 0.91f, 0.87f);
const glm::vec3 kHazardYellow(0.93f, 0.74f, 0.12f);
const glm::vec3 kSlotDark(0.06f, 0.06f, 0.07f);
// Light for the baked relief comes from the upper left, as on most game art.
const glm::vec3 kLightDirection = glm::normalize(glm::vec3(-0.5f, -0.6f, 0.65f));

enum class PanelKind { Plain, Dark, Livery, Vented, Hatch, Hazard, Marking, Emblem };

struct Panel {
    int x0;
    int y0;
    int x1;
    int y1;
    PanelKind kind;
    glm::vec3 colour;

    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

float smooth(float edge0, float edge1, float x)
{
    return glm::smoothstep(edge0, edge1, x);
}

void splitPlating(int x0, int y0, int x1, int y1, Pcg32& rng, std::vector<Panel>& panels)
{
    const int w = (x1 - x0) / kPanelGrid;
    const int h = (y1 - y0) / kPanelGrid;
    const int longest = std::max(w, h);
    if (longest <= 5 || (longest <= 16 && rng.nextFloat() < 0.45f)) {
        panels.push_back({x0, y0, x1, y1, PanelKind::Plain, kHullGrey});
        return;
    }
    const bool vertical = w == h ? rng.nextFloat() < 0.5f : w > h;
    const int cells = vertical ? w : h;
    const int cut = std::clamp(static_cast<int>(std::lround(cells * rng.range(0.3f, 0.7f))), 2, cells - 2);
    if (vertical) {
        splitPlating(x0, y0, x0 + cut * kPanelGrid, y1, rng, panels);
        splitPlating(x0 + cut * kPanelGrid, y0, x1, y1, rng, panels);
    } else {
        splitPlating(x0, y0, x1, y0 + cut * kPanelGrid, rng, panels);
        splitPlating(x0, y0 + cut * kPanelGrid, x1, y1, rng, panels);
    }
}

void assignKinds(std::vector<Panel>& panels, Pcg32& rng)
{
    // The two largest panels carry the registration and the emblem; lettering
    // reads best on a wide panel, so width counts double.
    std::vector<std::size_t> bySize(panels.size());
    for (std::size_t i = 0; i < panels.size(); ++i) {
        bySize[i] = i;
    }
    std::stable_sort(bySize.begin(), bySize.end(), [&](std::size_t a, std::size_t b) {
        return panels[a].width() * panels[a].width() * panels[a].height() >
               panels[b].width() * panels[b].width() * panels[b].height();
    });
    for (Panel& panel : panels) {
        const float roll = rng.nextFloat();
        const float tone = rng.range(0.93f, 1.05f);
        const bool roomy = std::min(panel.width(), panel.height()) >= 4 * kPanelGrid;
        if (roll < 0.12f) {
            panel.kind = PanelKind::Dark;
            panel.colour = kDarkGrey * tone;
        } else if (roll < 0.18f) {
            panel.kind = PanelKind::Livery;
            panel.colour = (rng.nextFloat() < 0.6f ? kLiveryBlue : kLiveryOrange) * tone;
        } else if (roll < 0.34f && roomy) {
            panel.kind = PanelKind::Vented;
            panel.colour = kHullGrey * 0.9f * tone;
        } else if (roll < 0.50f && roomy) {
            panel.kind = PanelKind::Hatch;
            panel.colour = kHullGrey * tone;
        } else if (roll < 0.55f && panel.width() >= 6 * kPanelGrid) {
            panel.kind = PanelKind::Hazard;
            panel.colour = kHullGrey * tone;
        } else {
            panel.colour = kHullGrey * tone;
        }
    }
    panels[bySize[0]].kind = PanelKind::Marking;
    panels[bySize[0]].colour = kLiveryBlue;
    panels[bySize[1]].kind = PanelKind::Emblem;
    panels[bySize[1]].colour = kHullGrey;
}

// A raised hemisphere (rivet, bolt head) with a soft cast shadow.
void paintDome(Image& image, const glm::vec2& centre, float radius, const glm::vec3& metal)
{
    const int reach = static_cast<int>(std::ceil(radius + 2.0f));
    const int cx = static_cast<int>(std::floor(centre.x));
    const int cy = static_cast<int>(std::floor(centre.y));
    for (int y = cy - reach; y <= cy + reach; ++y) {
        for (int x = cx - reach; x <= cx + reach; ++x) {
            const glm::vec2 offset = glm::vec2(x, y) + 0.5f - centre;
            const float shadow = glm::length(offset - glm::vec2(0.9f, 1.1f) * radius * 0.45f);
            glm::vec3& pixel = image.wrapped(x, y);
            pixel *= 1.0f - 0.35f * (1.0f - smooth(radius * 0.6f, radius + 0.8f, shadow));
            const float r = glm::length(offset) / radius;
            if (r >= 1.15f) {
                continue;
            }
            const float height = std::sqrt(std::max(0.0f, 1.0f - r * r));
            const glm::vec3 normal = glm::normalize(glm::vec3(offset / radius, height + 0.05f));
            const float light = 0.45f + 0.75f * std::max(0.0f, glm::dot(normal, kLightDirection));
            const float specular = std::pow(std::max(0.0f, glm::dot(normal, glm::normalize(kLightDirection + glm::vec3(0, 0, 1)))), 24.0f);
            const glm::vec3 lit = metal * light + glm::vec3(0.35f * specular);
            pixel = glm::mix(pixel, lit, 1.0f - smooth(0.9f, 1.15f, r));
        }
    }
}

// A recessed line: a dark groove with a highlight on its lower edge.
void paintGroove(Image& image, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const bool border = x == x0 || y == y0 || x == x1 || y == y1;
            const bool inner = x == x0 + 1 || y == y0 + 1 || x == x1 - 1 || y == y1 - 1;
            if (border) {
                image.wrapped(x, y) *= 0.35f;
            } else if (inner && (y == y0 + 1 || x == x0 + 1)) {
                image.wrapped(x, y) *= 0.75f;
            } else if (inner) {
                image.wrapped(x, y) = glm::min(image.wrapped(x, y) * 1.25f, glm::vec3(1.0f));
            }
        }
    }
}

glm::vec3 plateShade(const Panel& panel, int x, int y)
{
    const float left = static_cast<float>(x - panel.x0) + 0.5f;
    const float right = static_cast<float>(panel.x1 - x) - 0.5f;
    const float top = static_cast<float>(y - panel.y0) + 0.5f;
    const float bottom = static_cast<float>(panel.y1 - y) - 0.5f;
    const float edge = std::min(std::min(left, right), std::min(top, bottom));
    glm::vec3 colour = panel.colour;
    const float lit = std::min(left, top);
    const float shaded = std::min(right, bottom);
    colour *= 1.0f + 0.16f * (1.0f - smooth(0.0f, 4.0f, lit));
    colour *= 1.0f - 0.25f * (1.0f - smooth(0.0f, 4.0f, shaded));
    return colour * glm::mix(0.12f, 1.0f, smooth(0.5f, 2.2f, edge));
}

void paintPlates(Image& image, const std::vector<Panel>& panels)
{
    for (const Panel& panel : panels) {
        for (int y = panel.y0; y < panel.y1; ++y) {
            for (int x = panel.x0; x < panel.x1; ++x) {
                const glm::vec2 uv = (glm::vec2(x, y) + 0.5f) / static_cast<float>(kHullSize);
                const float mottle = Noise::tiledFbm(uv, glm::ivec2(16), 4, 0.5f, 11);
                image.at(x, y) = plateShade(panel, x, y) * (1.0f + 0.07f * mottle);
            }
        }
    }
}

void paintRivetRows(Image& image, const Panel& panel, const glm::vec3& metal)
{
    constexpr float kInset = 6.5f;
    constexpr float kSpacing = 14.0f;
    const glm::vec2 a(panel.x0 + kInset, panel.y0 + kInset);
    const glm::vec2 b(panel.x1 - kInset, panel.y1 - kInset);
    const glm::vec2 span = b - a;
    const int across = std::max(1, static_cast<int>(std::lround(span.x / kSpacing)));
    const int down = std::max(1, static_cast<int>(std::lround(span.y / kSpacing)));
    for (int i = 0; i <= across; ++i) {
        const float x = a.x + span.x * static_cast<float>(i) / static_cast<float>(across);
        paintDome(image, {x, a.y}, 1.9f, metal);
        paintDome(image, {x, b.y}, 1.9f, metal);
    }
    for (int j = 1; j < down; ++j) {
        const float y = a.y + span.y * static_cast<float>(j) / static_cast<float>(down);
        paintDome(image, {a.x, y}, 1.9f, metal);
        paintDome(image, {b.x, y}, 1.9f, metal);
    }
}

void paintVents(Image& image, const Panel& panel)
{
    constexpr int kInset = 14;
    constexpr int kPitch = 9;
    const int left = panel.x0 + kInset;
    const int right = panel.x1 - kInset;
    for (int top = panel.y0 + kInset; top + 5 <= panel.y1 - kInset; top += kPitch) {
        for (int y = top; y < top + 5; ++y) {
            for (int x = left; x < right; ++x) {
                const float endDistance = static_cast<float>(std::min(x - left, right - 1 - x)) + 0.5f;
                const float rowDistance = std::fabs(static_cast<float>(y - top) - 2.0f);
                const float rounded = smooth(0.0f, 2.5f, endDistance - rowDistance * 0.6f);
                glm::vec3& pixel = image.at(x, y);
                pixel = glm::mix(pixel, kSlotDark, rounded * (y == top ? 0.7f : 1.0f));
            }
        }
        for (int x = left; x < right; ++x) {
            image.at(x, top + 5) = glm::min(image.at(x, top + 5) * 1.3f, glm::vec3(1.0f));
        }
    }
}

void paintHatch(Image& image, const Panel& panel)
{
    constexpr int kInset = 12;
    const int x0 = panel.x0 + kInset;
    const int y0 = panel.y0 + kInset;
    const int x1 = panel.x1 - kInset - 1;
    const int y1 = panel.y1 - kInset - 1;
    paintGroove(image, x0, y0, x1, y1);
    const glm::vec3 bolt = kHullGrey * 0.85f;
    paintDome(image, {x0 + 7.5f, y0 + 7.5f}, 2.8f, bolt);
    paintDome(image, {x1 - 6.5f, y0 + 7.5f}, 2.8f, bolt);
    paintDome(image, {x0 + 7.5f, y1 - 6.5f}, 2.8f, bolt);
    paintDome(image, {x1 - 6.5f, y1 - 6.5f}, 2.8f, bolt);
    // A recessed pull handle in the middle of the hatch.
    const int cx = (x0 + x1) / 2;
    const int cy = (y0 + y1) / 2;
    paintGroove(image, cx - 12, cy - 4, cx + 12, cy + 4);
}

float paintChip(const glm::vec2& uv)
{
    // Paint flakes off where the noise peaks, showing the metal below.
    return smooth(0.28f, 0.36f, Noise::tiledFbm(uv, glm::ivec2(32), 4, 0.6f, 23));
}

void paintHazard(Image& image, const Panel& panel)
{
    constexpr int kInset = 5;
    const int band = std::min(28, panel.height() - 2 * kInset);
    for (int y = panel.y1 - kInset - band; y < panel.y1 - kInset; ++y) {
        for (int x = panel.x0 + kInset; x < panel.x1 - kInset; ++x) {
            const float stripe = std::fmod(static_cast<float>(x + y) + 0.5f, 24.0f);
            const float edge = std::min(stripe, 24.0f - stripe);
            const float yellow = smooth(5.2f, 6.8f, edge);
            const glm::vec3 paint = glm::mix(glm::vec3(0.07f), kHazardYellow, yellow);
            const glm::vec2 uv = (glm::vec2(x, y) + 0.5f) / static_cast<float>(kHullSize);
            glm::vec3& pixel = image.at(x, y);
            pixel = glm::mix(paint * (pixel / panel.colour), pixel, paintChip(uv));
        }
    }
}

void paintStripe(Image& image, const Panel& panel, int fromTop, int thickness, const glm::vec3& paint)
{
    for (int y = panel.y0 + fromTop; y < panel.y0 + fromTop + thickness; ++y) {
        for (int x = panel.x0 + 4; x < panel.x1 - 4; ++x) {
            const glm::vec2 uv = (glm::vec2(x, y) + 0.5f) / static_cast<float>(kHullSize);
            glm::vec3& pixel = image.at(x, y);
            pixel = glm::mix(paint * (pixel / panel.colour), pixel, paintChip(uv));
        }
    }
}

void paintMarking(Image& image, const Panel& panel, const TrueTypeFont& font)
{
    const std::string registration = "ORV-07";
    const float width = static_cast<float>(panel.width()) - 48.0f;
    float height = std::min(static_cast<float>(panel.height()) * 0.42f, 110.0f);
    height = std::min(height, height * width / font.textWidth(registration, height));
    const float textWidth = font.textWidth(registration, height);
    const float x = static_cast<float>(panel.x0) + (static_cast<float>(panel.width()) - textWidth) * 0.5f;
    const float baseline = static_cast<float>(panel.y0 + panel.y1) * 0.5f + font.ascent(height) * 0.35f;
    Image lettering(image.width(), image.height(), glm::vec3(0.0f));
    font.drawText(lettering, registration, x, baseline, height, glm::vec3(1.0f));
    for (int y = panel.y0; y < panel.y1; ++y) {
        for (int x = panel.x0; x < panel.x1; ++x) {
            const glm::vec2 uv = (glm::vec2(x, y) + 0.5f) / static_cast<float>(kHullSize);
            const float ink = lettering.at(x, y).x * (1.0f - 0.8f * paintChip(uv));
            glm::vec3& pixel = image.at(x, y);
            pixel = glm::mix(pixel, kPaintWhite * (pixel / panel.colour), ink);
        }
    }
    paintStripe(image, panel, 14, 8, kLiveryOrange);
    paintStripe(image, panel, panel.height() - 22, 8, kLiveryOrange);
}

// The ship line's badge: a blue disc crossed by a tilted white orbit.
void paintEmblem(Image& image, const Panel& panel)
{
    const glm::vec2 centre(static_cast<float>(panel.x0 + panel.x1) * 0.5f, static_cast<float>(panel.y0 + panel.y1) * 0.5f);
    const float radius = std::min(panel.width(), panel.height()) * 0.32f;
    const float tilt = glm::radians(-25.0f);
    for (int y = panel.y0; y < panel.y1; ++y) {
        for (int x = panel.x0; x < panel.x1; ++x) {
            const glm::vec2 p = glm::vec2(x, y) + 0.5f - centre;
            const float r = glm::length(p);
            const glm::vec2 rotated(p.x * std::cos(tilt) - p.y * std::sin(tilt), p.x * std::sin(tilt) + p.y * std::cos(tilt));
            const glm::vec2 orbitSpace(rotated.x / (radius * 1.35f), rotated.y / (radius * 0.42f));
            const float orbit = std::fabs(glm::length(orbitSpace) - 1.0f) * radius * 0.42f;
            const float disc = 1.0f - smooth(radius - 1.0f, radius + 1.0f, r);
            const float rim = 1.0f - smooth(1.5f, 3.0f, std::fabs(r - radius - 5.0f));
            const float orbitLine = 1.0f - smooth(1.6f, 2.8f, orbit);
            const float moon = 1.0f - smooth(radius * 0.12f - 1.0f, radius * 0.12f + 1.0f,
                                            glm::length(rotated - glm::vec2(radius * 1.35f * 0.7071f, radius * 0.42f * 0.7071f)));
            glm::vec3& pixel = image.at(x, y);
            const glm::vec3 shade = pixel / panel.colour;
            pixel = glm::mix(pixel, kLiveryBlue * shade, disc);
            pixel = glm::mix(pixel, kPaintWhite * shade, std::max(rim, std::max(orbitLine, moon)));
        }
    }
}

void paintScratches(Image& image, Pcg32& rng)
{
    for (int i = 0; i < 420; ++i) {
        // One draw per statement keeps the order fixed whatever the compiler;
        // the stored textures were made with y drawn before x.
        const float startY = rng.range(0.0f, kHullSize);
        const float startX = rng.range(0.0f, kHullSize);
        const glm::vec2 start(startX, startY);
        const float angle = rng.range(0.0f, glm::two_pi<float>());
        const float length = rng.range(6.0f, 38.0f);
        const float strength = rng.range(0.05f, 0.16f);
        const glm::vec2 step(std::cos(angle), std::sin(angle));
        for (float t = 0.0f; t < length; t += 0.7f) {
            const glm::vec2 p = start + step * t;
            glm::vec3& pixel = image.wrapped(static_cast<int>(p.x), static_cast<int>(p.y));
            pixel = glm::min(pixel * (1.0f + strength), glm::vec3(1.0f));
        }
    }
}

void weather(Image& image)
{
    image.fill([&image](float u, float v) {
        const glm::vec2 uv(u, v);
        const int x = static_cast<int>(u * kHullSize);
        const int y = static_cast<int>(v * kHullSize);
        const float grime = smooth(-0.05f, 0.6f, Noise::tiledFbm(uv, glm::ivec2(4), 5, 0.55f, 31));
        const float streaks = std::max(0.0f, Noise::tiledFbm(uv, glm::ivec2(64, 2), 4, 0.5f, 37));
        const float speckle = Pcg32::toUnit(Pcg32::hashCell(x, y, 0, 41)) - 0.5f;
        return image.at(x, y) * (1.0f - 0.2f * grime) * (1.0f - 0.22f * streaks) * (1.0f + 0.035f * speckle);
    });
}

glm::vec3 temperColour(float heat)
{
    // Oxide colours of steel as it gets hotter: straw, bronze, purple, blue.
    const glm::vec3 stops[] = {{0.55f, 0.56f, 0.58f}, {0.70f, 0.61f, 0.42f}, {0.60f, 0.43f, 0.29f},
                               {0.43f, 0.31f, 0.45f}, {0.29f, 0.35f, 0.56f}, {0.15f, 0.15f, 0.19f}};
    const float scaled = glm::clamp(heat, 0.0f, 1.0f) * 5.0f;
    const int i = std::min(static_cast<int>(scaled), 4);
    return glm::mix(stops[i], stops[i + 1], scaled - static_cast<float>(i));
}

constexpr float kFinsEnd = 0.16f;
constexpr float kBodyEnd = 0.46f;
constexpr float kRibsEnd = 0.70f;

glm::vec3 engineSection(float u, float v)
{
    const glm::vec3 steel(0.58f, 0.60f, 0.63f);
    const glm::vec3 gunmetal(0.34f, 0.35f, 0.38f);
    if (v < kFinsEnd) {
        const float phase = std::fabs(glm::fract(u * 24.0f) - 0.5f) * 2.0f;
        const float slot = 1.0f - smooth(0.16f, 0.26f, phase);
        const float ends = smooth(0.012f, 0.03f, std::min(v, kFinsEnd - v));
        const float lip = 1.0f + 0.25f * (smooth(0.26f, 0.3f, phase) - smooth(0.3f, 0.38f, phase));
        return glm::mix(steel * lip, kSlotDark, slot * ends);
    }
    if (v < kBodyEnd) {
        const float band = 1.0f - smooth(0.004f, 0.007f, std::fabs(v - 0.36f) - 0.012f);
        const float chip = paintChip(glm::vec2(u, v));
        return glm::mix(gunmetal, glm::mix(kLiveryOrange, gunmetal, chip), band);
    }
    if (v < kRibsEnd) {
        const float rib = std::sin((v - kBodyEnd) / (kRibsEnd - kBodyEnd) * glm::two_pi<float>() * 9.0f);
        return steel * 0.85f * (1.0f + 0.18f * rib);
    }
    // The nozzle is built from rolled rings with shallow joints.
    const float joint = std::fabs(glm::fract((v - kRibsEnd) / 0.075f) - 0.5f) * 2.0f;
    return steel * 0.9f * (1.0f - 0.22f * smooth(0.86f, 0.97f, joint));
}

glm::vec3 engineShade(float u, float v)
{
    const glm::vec2 uv(u, v);
    glm::vec3 colour = engineSection(u, v);
    // Lathe marks run around the nacelle.
    colour *= 1.0f + 0.09f * Noise::tiledFbm(uv, glm::ivec2(2, 256), 3, 0.6f, 53);
    const float wobble = 0.03f * Noise::tiledFbm(uv, glm::ivec2(8, 4), 3, 0.5f, 59) +
                         0.03f * Noise::tiledFbm(uv, glm::ivec2(32, 2), 3, 0.5f, 60);
    const float heat = smooth(kBodyEnd + 0.04f, 0.99f, v + wobble);
    const float luminance = glm::dot(colour, glm::vec3(0.3f, 0.59f, 0.11f));
    colour = glm::mix(colour, temperColour(heat) * (luminance / 0.52f), 0.8f * smooth(0.0f, 0.15f, heat));
    const float soot = smooth(0.82f, 1.0f, v) * (0.6f + 0.4f * Noise::tiledFbm(uv, glm::ivec2(32, 1), 4, 0.5f, 61));
    colour *= 1.0f - 0.55f * soot;
    const float glow = smooth(0.965f, 1.0f, v);
    colour += glm::vec3(1.0f, 0.42f, 0.1f) * glow * 0.6f;
    for (const float seam : {kFinsEnd, kBodyEnd, kRibsEnd}) {
        const float d = (v - seam) * kEngineSize;
        colour *= 1.0f - 0.75f * (1.0f - smooth(0.6f, 1.8f, std::fabs(d)));
        colour *= 1.0f + 0.22f * (1.0f - smooth(0.0f, 1.2f, std::fabs(d - 2.5f)));
    }
    return colour;
}

}

Image paintShipHull(const TrueTypeFont& font)
{
    Pcg32 rng(0x5eed0001u);
    std::vector<Panel> panels;
    splitPlating(0, 0, kHullSize, kHullSize, rng, panels);
    assignKinds(panels, rng);
    Image hull(kHullSize, kHullSize);
    paintPlates(hull, panels);
    for (const Panel& panel : panels) {
        switch (panel.kind) {
        case PanelKind::Vented: paintVents(hull, panel); break;
        case PanelKind::Hatch: paintHatch(hull, panel); break;
        case PanelKind::Hazard: paintHazard(hull, panel); break;
        case PanelKind::Marking: paintMarking(hull, panel, font); break;
        case PanelKind::Emblem: paintEmblem(hull, panel); break;
        case PanelKind::Livery: paintStripe(hull, panel, 6, 3, kPaintWhite); break;
        case PanelKind::Plain:
        case PanelKind::Dark: break;
        }
        if (panel.kind != PanelKind::Hatch && rng.nextFloat() < 0.75f) {
            paintRivetRows(hull, panel, panel.colour * 0.95f);
        }
    }
    paintScratches(hull, rng);
    weather(hull);
    return hull;
}

Image paintShipEngine()
{
    Image engine(kEngineSize, kEngineSize);
    engine.fill(engineShade);
    for (const float seam : {kFinsEnd, kBodyEnd, kRibsEnd}) {
        const float row = seam * kEngineSize;
        for (int i = 0; i < 32; ++i) {
            const float x = (static_cast<float>(i) + 0.5f) * kEngineSize / 32.0f;
            for (const float y : {row - 6.0f, row + 7.0f}) {
                // Bolt heads take on the tint of the metal around them.
                const glm::vec3 metal = engine.at(static_cast<int>(x), static_cast<int>(y) - 4) * 1.05f;
                paintDome(engine, {x, y}, 2.6f, metal);
            }
        }
    }
    return engine;
}

}
