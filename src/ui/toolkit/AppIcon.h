#pragma once
#include <QIcon>
#include <QString>

namespace vyper {

// The program's icon in every size that is built in (16 to 256 px), for its windows.
QIcon ApplicationIcon();

// The name of the installed desktop entry without ".desktop"; the desktop matches the
// program's windows to that entry by it.
QString DesktopId();

}  // namespace vyper
