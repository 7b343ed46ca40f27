#pragma once

#include <QPixmap>

// The small pictures of the picture buttons and the link indicator, drawn in
// code so the program needs no image files.
namespace pictures {

enum class Kind {
    NewRecording, // a blank page with a red cross
    OpenFile,     // an open folder
    SaveFile,     // a floppy disk
    Print,        // a printer
    First,
    Previous,
    Next,
    Last,
    SavePicture,  // a small chart
    Connected,    // green plug: readings arriving
    NotConnected, // grey plug crossed out
    Quit,
};

QPixmap pixmap(Kind kind, int size = 16);

} // namespace pictures
