// What the window suites share: message boxes and the save dialog answered by a recorder
// instead of shown, widgets found by their object names, and the items of a list.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "gui/dialog_service.h"

namespace tallowick::gui::testing {

// Message boxes are recorded and closed at once; the save dialog answers what the test
// chose.
class RecordingDialogs final : public DialogService {
 public:
  void messageBox(QWidget*, const QString& text) override { boxes << text; }
  bool question(QWidget*, const QString& text) override {
    questions << text;
    if (onQuestion) onQuestion();
    return answer;
  }
  std::optional<QString> saveFileName(QWidget*, const QString& filter,
                                      const QString& suggested) override {
    filters << filter;
    suggestions << suggested;
    if (onSave) onSave();
    return saveAs;
  }
  std::optional<QString> folder(QWidget*, const QString& caption, const QString&) override {
    folderCaptions << caption;
    return chosenFolder;
  }
  QStringList boxes;
  QStringList questions;
  bool answer = true;                // Yes
  std::function<void()> onQuestion;  // while the question is up
  QStringList filters;
  std::optional<QString> saveAs;
  std::function<void()> onSave;  // while the save dialog is up
  QStringList suggestions;
  QStringList folderCaptions;
  std::optional<QString> chosenFolder;
};

template <typename W>
W* find(QWidget* window, const char* name) {
  W* w = window->findChild<W*>(QString::fromLatin1(name));
  if (!w) qFatal("no widget %s", name);
  return w;
}

inline QStringList items(const QComboBox* combo) {
  QStringList out;
  for (int i = 0; i < combo->count(); ++i)
    out << combo->itemText(i);
  return out;
}

inline QStringList items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i)
    out << list->item(i)->text();
  return out;
}

}  // namespace tallowick::gui::testing
