// The pictures of the navigation items, named here so the navigation table
// (neutral) can say which item shows which; ui/win32/glyphs draws them.
#pragma once

enum class TNavGlyph { none, home, list, backup, restore, settings, back, general, connection, ignored, sysinfo, schedule };
