#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The file-operation engine that copies, moves and deletes for the file
// commands, with its own confirmations, progress and error messages switched
// by the old shell's flags. Paths are raw bytes, so a name that is not valid
// UTF-8 reaches exactly its own file.
//
// What it guarantees: a copied file is written under a hidden temporary name
// in its destination folder, flushed to the disk, and only then renamed into
// place, so a destination name holds its old content or the complete new one,
// never part of it. A move across volumes deletes a source only after its copy
// is in place and flushed. Cancel and errors leave every source as it was.
namespace FileOp {
inline constexpr int FO_MOVE = 1;
inline constexpr int FO_COPY = 2;
inline constexpr int FO_DELETE = 3;
inline constexpr quint16 FOF_MULTIDESTFILES = 0x0001;
inline constexpr quint16 FOF_SILENT = 0x0004;
inline constexpr quint16 FOF_NOCONFIRMATION = 0x0010;
inline constexpr quint16 FOF_ALLOWUNDO = 0x0040;
inline constexpr quint16 FOF_NOCONFIRMMKDIR = 0x0200;

// Result codes.
inline constexpr int Ok = 0;
inline constexpr int Failed = 1;     // at least one item could not be done
inline constexpr int Cancelled = 2;  // the user stopped it
inline constexpr int BadArguments = 3;
}  // namespace FileOp

// One call of the engine: the operation code, the source list and the
// destination list in path-list form, and the flags. The engine sets
// fAnyOperationsAborted when the user cancelled.
struct SHFILEOPSTRUCT {
    qintptr hwnd = 0;
    int wFunc = 0;
    QByteArray pFrom;
    QByteArray pTo;
    quint16 fFlags = 0;
    bool fAnyOperationsAborted = false;
};

// Path lists: each path followed by one NUL, the list closed by a second NUL.
// Reading stops at the first empty entry, so an empty path ends the list.
std::vector<QByteArray> SplitPathList(const QByteArray& list);
QByteArray MakePathList(const std::vector<QByteArray>& paths);

enum class ReplaceAnswer { Yes, YesToAll, No, Cancel };
enum class ErrorAnswer { Skip, Cancel };

// The engine's questions and windows. The real ones are message boxes and a
// progress dialog; tests install their own answers.
class FileOpDialogs {
public:
    virtual ~FileOpDialogs() = default;
    // target exists; folder when both are folders (their contents merge).
    virtual ReplaceAnswer AskReplace(const QByteArray& target, bool folder, bool moreToCome) = 0;
    virtual bool AskDelete(const std::vector<QByteArray>& items, bool toTrash) = 0;
    virtual bool AskCreateFolder(const QByteArray& folder) = 0;
    // The item's volume has no trash that can take it.
    virtual bool AskDeleteForGood(const QByteArray& item) = 0;
    virtual void BeginProgress(int wFunc, qint64 totalBytes, qint64 totalItems) = 0;
    // False when the user cancelled.
    virtual bool Progress(qint64 doneBytes, qint64 doneItems, const QByteArray& current) = 0;
    virtual void EndProgress() = 0;
    virtual ErrorAnswer ShowError(const QString& text, bool moreToCome) = 0;
};

// Knobs for tests and benchmarks.
struct FileOpOptions {
    // Makes every move copy and delete, as across volumes.
    bool forceCrossVolume = false;
    // Flush copies before they are renamed into place (on by default).
    bool flush = true;
};

// Runs the operation with the given dialogs. Returns a FileOp result code.
int RunFileOperation(SHFILEOPSTRUCT& op, FileOpDialogs& ui, const FileOpOptions& options = {});

// The process-wide dialogs SHFileOperationA uses: the real ones unless a test
// installed others (null restores the real ones).
void SetFileOpDialogs(std::unique_ptr<FileOpDialogs> dialogs);
FileOpDialogs& CurrentFileOpDialogs();
int SHFileOperationA(SHFILEOPSTRUCT& op);
// Tests of the callers see each call here instead of the engine running it;
// null restores the engine.
void SetFileOperationRecorder(std::function<int(SHFILEOPSTRUCT& op)> recorder);

// Renames without ever replacing an existing file. False (errno set) when
// to exists or the rename fails.
bool RenameNoReplace(const QByteArray& from, const QByteArray& to);

// Text for a raw path in messages.
QString DisplayPath(const QByteArray& path);
