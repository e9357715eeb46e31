// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace brambleton::ui {

// `text` as a window may show it when it comes from strangers' downloads (file names, the
// names and descriptions inside objects): the characters that reorder text (such as U+202E,
// which would turn the rest of a sentence backwards) and control characters are shown as
// escapes, as the command line shows them.
QString readable(const QString& text);

// readable() for each line of `text`, keeping its line breaks.
QString readableLines(const QString& text);

}  // namespace brambleton::ui
