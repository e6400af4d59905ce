#pragma once

namespace quillo {

// When the X server goes away (killed, crashed, session ended) the program ends at
// once with status 1 and one line on standard error, whichever connection notices
// first: Qt's own or one of our Xlib connections. Nothing is left to save then
// (settings and history are written at every change), and ending without running
// exit-time destructors avoids tearing down objects other threads still use.
// Call once, after the QGuiApplication exists (Qt installs its own handler there) and
// the interface translation is installed (the line is worded then).
void endProgramOnX11ConnectionLoss();

} // namespace quillo
