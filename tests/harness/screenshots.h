// Pictures of the screen kept for a person to look at: what a failing window test saw, and
// a few screens worth a look when all goes well. They go to the build's screenshots folder.
#pragma once

#include <string>

class Screenshot;

// Writes the shot as the PNG file `name` in the screenshots folder, making the folder first;
// false on failure.
bool save_screenshot(const Screenshot &shot, const std::string &name);

// The same, named after the running test ("Suite.Test.png", with any '/' of a parameterised
// test as '-'), with `suffix` before ".png" to tell several shots of one test apart.
bool save_test_screenshot(const Screenshot &shot, const std::string &suffix = "");
