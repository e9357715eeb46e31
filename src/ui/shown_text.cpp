// SPDX-License-Identifier: MIT
#include "ui/shown_text.h"

#include <QStringList>

namespace brambleton::ui {

QString readable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.direction()) {
            case QChar::DirLRE:
            case QChar::DirRLE:
            case QChar::DirLRO:
            case QChar::DirRLO:
            case QChar::DirPDF:
            case QChar::DirLRI:
            case QChar::DirRLI:
            case QChar::DirFSI:
            case QChar::DirPDI:
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                continue;
            default:
                break;
        }
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

QString readableLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (auto& line : lines) line = readable(line);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace brambleton::ui
