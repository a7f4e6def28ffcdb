#include "browser/StartPaths.h"

#include <unistd.h>
#include <QHash>
#include <QTreeView>

#include <cerrno>
#include <vector>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Schema.h"
#include "kit/ScreenPictures.h"
#include "kit/Settings.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

namespace {
// Lexically, as a shell's cd does: empty and "." parts go, ".." takes the
// part before it away. A working folder that is not absolute counts from
// the root.
QByteArray absolutePath(const QByteArray& path, const QByteArray& workingDir) {
    return CleanRawPath('/' + (path.startsWith('/') ? path : JoinRawPath(workingDir, path)));
}

QString pictureProblem(PictureError error) {
    switch (error) {
        case PictureError::UnknownType:
            return QStringLiteral("not a picture");
        case PictureError::TooLarge:
            return QStringLiteral("too large a picture");
        case PictureError::Damaged:
            return QStringLiteral("a damaged picture");
        case PictureError::RendererFailed:
            return QStringLiteral("a picture that cannot be drawn");
        case PictureError::CannotOpen:
        case PictureError::None:
            break;
    }
    return QStringLiteral("cannot be read");
}

void addPicture(StartRequest& r, const QByteArray& path) {
    const QByteArray folder = RawParentPath(path);
    if (r.folder.isEmpty()) r.folder = folder;
    if (folder != r.folder)
        r.failed.push_back({path, QStringLiteral("in another folder than the first")});
    else if (!r.pictures.contains(path))
        r.pictures.push_back(path);
}

void addFolder(StartRequest& r, const QByteArray& path) {
    if (r.folder.isEmpty()) r.folder = path;
    if (path != r.folder) {
        r.failed.push_back({path, QStringLiteral("only one folder is opened")});
        return;
    }
    r.folderNamed = true;
}
}  // namespace

QList<QByteArray> CommandLinePaths(int argc, char** argv) {
    QList<QByteArray> paths;
    for (int i = 1; i < argc; ++i) paths << QByteArray(argv[i]);
    return paths;
}

QByteArray WorkingFolder() {
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return QByteArrayLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.data());
}

StartRequest ReadStartPaths(const QList<QByteArray>& paths, const QByteArray& workingDir) {
    StartRequest r;
    const PictureLoader loader = ScreenPictureLoader();
    for (const QByteArray& given : paths) {
        // An empty argument names nothing.
        if (given.isEmpty()) continue;
        const QByteArray path = absolutePath(given, workingDir);
        const auto attributes = Platform::files().GetFileAttributes(path);
        if (!attributes) {
            r.failed.push_back({path, QStringLiteral("not found")});
        } else if (*attributes & FileAttr::Directory) {
            addFolder(r, path);
        } else {
            PictureError error = PictureError::None;
            if (loader.Probe(path, &error))
                addPicture(r, path);
            else
                r.failed.push_back({path, pictureProblem(error)});
        }
    }
    return r;
}

QList<StartFailure> OpenStartRequest(frmMain& form, const StartRequest& request) {
    QList<StartFailure> failed = request.failed;
    if (request.folder.isEmpty()) return failed;
    // The tree may refuse the folder (a hidden one while hidden files are
    // not shown): the browser then started at its usual folder.
    QByteArray listed = request.folder;
    if (!listed.endsWith('/')) listed += '/';
    if (PathBytes(form.CurrentFolder) != listed) {
        const QString why = QStringLiteral("its folder cannot be shown");
        if (request.folderNamed)
            failed.push_back({request.folder, QStringLiteral("a folder that cannot be shown")});
        for (const QByteArray& p : request.pictures) failed.push_back({p, why});
        return failed;
    }

    FileListModel* model = form.ListView1->Model();
    QHash<QByteArray, int> rows;
    for (int row = 0; row < model->Count(); ++row) rows.insert(model->Item(row).RawKey(), row);
    int first = -1;
    for (const QByteArray& p : request.pictures) {
        const int row = rows.value(p, -1);
        if (row < 0) {
            // Its name or type is not one the list shows, or it is hidden.
            failed.push_back({p, QStringLiteral("not among the listed picture files")});
        } else if (first < 0) {
            first = row;
            form.ListView1->SetSelectedRow(row);
        } else {
            form.ListView1->SetSelected(row, true);
        }
    }
    if (first < 0) return failed;
    form.ListView1->DetailsView()->scrollTo(model->index(first, 0));
    form.ShowImage();
    // As a double click on the picture would, but a picture named here is
    // never handed to another program.
    if (ToBool(ReadSetting(Keys::DoubleClick)).value_or(false)) {
        form.hide();
        Open(Openers::Table().ShowViewer);
    }
    return failed;
}

QString StartFailureText(const QList<StartFailure>& failures) {
    if (failures.isEmpty()) return {};
    QString text = failures.size() == 1 ? QStringLiteral("This could not be opened:\n")
                                        : QStringLiteral("These could not be opened:\n");
    for (const StartFailure& f : failures) text += '\n' + ShownText(f.path) + " (" + f.reason + ")";
    return text;
}
