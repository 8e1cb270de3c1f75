#pragma once

// Message numbers in the user range. On this toolkit they travel as direct
// calls or custom events that carry the same numbers.
inline constexpr int WM_GRAPH_NEW_READING = 0x465;
inline constexpr int WM_GRAPH_SET_STYLE = 0x467;
inline constexpr int WM_GRAPH_CLEAR = 0x46A;
inline constexpr int WM_PORT_AVAILABLE = 0x46C;
