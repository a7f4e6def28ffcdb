#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// The Tools menu's Shell and Launch items: the desktop's own tools, given
// exactly what the shell was given.
namespace ShellLaunchers {
// 0 "&Default Open", 1 "Open &with...".
void mnulaunch_Click(int Index);
// 2 "&Run", 3 "&Find File(s)", 5 "&Copy Disk", 6 "&Format Disk",
// 8 "&Shutdown Windows"; the others do nothing.
void mnushell_Click(int Index);

// The shell calls, by their old arguments.
// verb empty: the file's default action; "find": the search tool on a folder.
void ShellExecute(QWidget* owner, const QString& verb, const QByteArray& file,
                  const QString& parameters, const QString& directory, int showCmd);
// Starts a command line; the two rundll32 lines the program uses open the
// application chooser and the disk utility.
void Shell(const QString& commandLine, int windowStyle);
void SHFormatDrive(QWidget* owner, unsigned drive, unsigned fmtID, unsigned options);
// The Run dialog (shell ordinal 61), modal to its owner: returns when it closes.
void RunFileDlg(QWidget* owner, int icon, const QString& directory, const QString& title,
                const QString& prompt, unsigned flags);
// The Shut Down dialog (shell ordinal 60).
void ExitWindowsDlg(QWidget* owner);
}  // namespace ShellLaunchers
