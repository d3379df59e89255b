// Qt's own texts (standard buttons, file dialogs, the text fields' context menus) in the
// language of the windows, Russian.
#pragma once

#include <QString>

namespace tallowick::gui {

// Installs Qt's Russian translation in the application: the copy built into the program
// first, the system's translations folder otherwise. Where it was loaded from, or an empty
// text when it was found nowhere (Qt then speaks English).
QString installQtTranslation();

}  // namespace tallowick::gui
