#pragma once

namespace Orbivane::Helpers {

// Saves the window's back buffer, width x height pixels, as a PNG in the
// folder "screenshots" of the working directory, which is made when missing.
// A shot never replaces an earlier file. The console names the file, or says
// why no shot could be written; the game goes on either way.
void saveScreenshot(int width, int height);

}
