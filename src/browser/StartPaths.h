#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class frmMain;

// Folders and pictures named on the command line ("kvoview PATH..."), the
// way a file manager starts the program for "Open with". Paths are bytes,
// so a name in any encoding reaches its file.

// A path that could not be opened, and why in a few words.
struct StartFailure {
    QByteArray path;
    QString reason;
};

struct StartRequest {
    // The folder to list instead of the saved start folder; empty when no
    // path named a folder or picture that can be opened.
    QByteArray folder;
    // The folder was named itself (not only through its pictures).
    bool folderNamed = false;
    // Pictures of that folder, in command-line order; the first is opened.
    QList<QByteArray> pictures;
    QList<StartFailure> failed;
};

// The command line's arguments after the toolkit took its own options.
QList<QByteArray> CommandLinePaths(int argc, char** argv);
// The working folder's bytes.
QByteArray WorkingFolder();

// Sorts out the paths: each made absolute (a relative one against
// workingDir) and checked. The first folder, or the folder of the first
// picture, is the one to list; further pictures of that folder are
// selected with the first. "A picture" is decided by the file's content.
StartRequest ReadStartPaths(const QList<QByteArray>& paths, const QByteArray& workingDir);

// After the main window has loaded with request.folder as its start
// folder: selects the request's pictures in the list, previews the first
// and, when a double click opens the viewer ("Double Click"), opens the
// viewer on it. Returns every path that could not be opened.
QList<StartFailure> OpenStartRequest(frmMain& form, const StartRequest& request);

// The message that names the paths not opened; empty when there are none.
QString StartFailureText(const QList<StartFailure>& failures);
