#pragma once

#include <optional>
#include <vector>

#include "kit/Schema.h"

// Settings that go beyond the browser's classic behaviour, all in the
// section "Extras" (their keys are with the others, Keys::RememberPaneSizes).
// Each switch is one row of Switches(): the settings dialog's "Extras" tab
// shows one check box per row, in this order.
namespace Extras {
struct Switch {
    QString group;  // the frame the check box sits in
    const Schema::Key* key;
    QString caption;
};
const std::vector<Switch>& Switches();
// The stored switch, or its default when missing or not a boolean.
bool On(const Schema::Key& key);

// A stored pane size (Keys::FolderTreeWidth, FileListWidth, FileListHeight),
// kept while RememberPaneSizes is on; empty when missing or no sensible size.
std::optional<float> PaneSize(const Schema::Key& key);
}  // namespace Extras
