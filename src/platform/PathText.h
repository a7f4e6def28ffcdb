#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// File names are bytes; most are UTF-8, but names from old archives and
// other systems (Latin-1 "caf\xE9") are not. Three text forms of a path:
//
// - PathText: keeps every byte. Valid UTF-8 reads as usual, and each byte
//   outside it becomes one lone surrogate U+DC80 + byte, which PathBytes
//   turns back into that byte. Use it wherever a path must live as text and
//   still reach its file: the listed folder, the tree's folders, paths in
//   the settings store (which writes lone surrogates as \uDCxx), command
//   lines. Never show it: a lone surrogate draws as nothing useful.
// - ShownText: for people. The same decoding with U+FFFD for each byte that
//   is not UTF-8; it reaches no file when such a byte was there.
// - the bytes themselves (QByteArray paths, see FileSystem.h).
QString PathText(const QByteArray& bytes);
QByteArray PathBytes(const QString& text);
// The shown form of raw bytes, and of a PathText.
QString ShownText(const QByteArray& bytes);
QString ShownPath(const QString& pathText);

// The bytes for a text the user edited, starting from the shown form of
// `original`. Every character the user did not change keeps the bytes it
// stood for; what was typed is written as UTF-8. Empty (no value) when the
// changed part holds U+FFFD or a lone surrogate: a character that stands for
// bytes it cannot name, which must never be written in their place.
std::optional<QByteArray> MapEditedText(const QByteArray& original, const QString& edited);
