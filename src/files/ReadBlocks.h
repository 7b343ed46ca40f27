#pragma once

#include <QtGlobal>

// Files are opened in blocks of whole rows of about this many bytes, parsed
// on two cores. Checks pass smaller blocks to cross block bounds often.
constexpr qsizetype kReadBlockBytes = 512 * 1024;
