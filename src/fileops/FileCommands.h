#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The main window's file commands and the three shell calls under them.
// Lists are raw paths each followed by one NUL; the closing NUL is added
// when a list is handed to the engine.

// True while the destination dialog copies, false while it moves.
inline bool CopyMode = false;

// The flags each call passes, from the "File Options" settings read now.
quint16 CopyFlags();
quint16 MoveFlags();
quint16 DeleteFlags(bool recycle);

int ShellCopy(const QByteArray& sources, const QByteArray& destinations);
int ShellMove(const QByteArray& sources, const QByteArray& destinations);
int ShellDelete(const QByteArray& sources, bool recycle);

// Copies (copy true) or moves the sources into the folder dest (raw, ending
// in '/'): one source goes to its full target path, several (or none) to
// the folder.
void ShellCopyOrMove(const std::vector<QByteArray>& sources, const QByteArray& dest, bool copy);
// Files dropped on a folder of the main tree: copied or moved there as Copy
// to and Move to do, then the tree and the list show the result. A source
// already in that folder, or the folder itself or one above it, is left out.
void DropFiles(const std::vector<QByteArray>& sources, const QByteArray& folder, bool copy);
// After a copy or move into dest: the folders made show in the tree and the
// list is read again.
void RefreshAfterCopy(const QString& dest);

void CopyThem(bool copymodeA);
void CreateAFolder();
void DeleteSelected(bool recycle);
void DelFolder(const QByteArray& strpath, bool trashmode);
void RenameFile();

// The bytes of a name the user typed in place of original (empty for a new
// name); when it cannot be mapped back to bytes, says so and gives nothing.
std::optional<QByteArray> BytesOfAnswer(const QByteArray& original, const QString& answer);
// Tells the user a typed name or path cannot be mapped back to bytes.
void SayNameCannotBeWritten(const QString& answer);
