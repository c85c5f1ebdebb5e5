// The layout editor: build board shapes layer by layer, save, load and try them.
#pragma once

// Runs the editor on the global layout until the user leaves with Escape.
void edit_layouts();
