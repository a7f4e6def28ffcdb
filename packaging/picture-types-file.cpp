// Writes a packaging file from its template with the MIME types of the
// picture types' table: "@MIME_TYPES@" becomes a desktop entry's list (each
// type ended by ';'), and a line holding only "@MEDIATYPES@" becomes one
// AppStream <mediatype> line a type, indented as the marker was.
// Usage: picture-types-file TEMPLATE OUTPUT
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>

#include "kit/PictureTypes.h"

namespace {
QString filled(const QString& text) {
    const QStringList types = PictureTypes::MimeTypes();
    QStringList lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString marker = lines[i].trimmed();
        if (marker != "@MEDIATYPES@") {
            lines[i].replace("@MIME_TYPES@", types.join(';') + ';');
            continue;
        }
        const QString indent = lines[i].left(lines[i].indexOf(marker));
        QStringList elements;
        for (const QString& t : types) elements << indent + "<mediatype>" + t + "</mediatype>";
        lines[i] = elements.join('\n');
    }
    return lines.join('\n');
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: picture-types-file TEMPLATE OUTPUT\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "picture-types-file: cannot read %s\n", argv[1]);
        return 1;
    }
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(filled(QString::fromUtf8(in.readAll())).toUtf8()) < 0 || !out.commit()) {
        std::fprintf(stderr, "picture-types-file: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
