#pragma once

#include <QIcon>
#include <functional>

// An icon made by `make` when it is first drawn or measured: pictures of
// menus nobody opens, or of buttons nobody sees, cost nothing at start-up.
QIcon LazyIcon(std::function<QIcon()> make);
