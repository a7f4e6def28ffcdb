#pragma once

#include <QString>
#include <optional>
#include <vector>

// Settings that go beyond the browser's classic behaviour, all in the
// section "Extras" so the classic sections keep exactly their own keys.
// Each switch is one row of Switches(): the settings dialog's "Extras" tab
// shows one check box per row, in this order.
namespace Extras {
inline const QString Section = QStringLiteral("Extras");

// Switches.
inline const QString RememberPaneSizes = QStringLiteral("Remember Pane Sizes");

struct Switch {
    QString group;  // the frame the check box sits in
    QString key;
    QString caption;
    bool defaultOn;
};
const std::vector<Switch>& Switches();
// The stored switch, or its default when missing or not a boolean.
bool On(const QString& key);

// The bars of the panes, in twips, kept while RememberPaneSizes is on. The
// list's size is kept for each place of the preview.
inline const QString FolderTreeWidth = QStringLiteral("Folder Tree Width");
inline const QString FileListWidth = QStringLiteral("File List Width");    // preview right
inline const QString FileListHeight = QStringLiteral("File List Height");  // preview below

// A stored pane size; empty when missing or no sensible size.
std::optional<float> PaneSize(const QString& key);
}  // namespace Extras
