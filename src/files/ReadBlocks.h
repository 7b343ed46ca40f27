#pragma once

#include <QtGlobal>

// Files are opened in blocks of whole rows of about this many bytes, parsed
// on two cores.
constexpr qsizetype kReadBlockBytes = 512 * 1024;
