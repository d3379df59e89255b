// The modal boxes the windows open: information boxes with one OK button, questions before
// what cannot be undone, and the save dialog of the test log. The program opens real ones; the
// window tests put a recorder in their place, so a test never blocks in a modal box.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tallowick::gui {

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Returns when the box is closed.
  virtual void messageBox(QWidget* parent, const QString& text) = 0;
  // A question with "Да" and "Нет"; true for "Да". "Нет" is the default (Enter) and the
  // answer of Escape or the close box, so that a hurried key never does the harm.
  virtual bool question(QWidget* parent, const QString& text) = 0;
  // The file the user chose to save to, with `filter` as the dialog's file types in the
  // form "display text|pattern" and `suggested` as the name it offers (a path or a name);
  // nothing when the dialog was cancelled.
  virtual std::optional<QString> saveFileName(QWidget* parent, const QString& filter,
                                              const QString& suggested = {}) = 0;
  // The folder the user chose, the dialog opened at `start`; nothing when cancelled.
  virtual std::optional<QString> folder(QWidget* parent, const QString& caption,
                                        const QString& start) = 0;
};

// QMessageBox and QFileDialog.
class ModalDialogs final : public DialogService {
 public:
  void messageBox(QWidget* parent, const QString& text) override;
  bool question(QWidget* parent, const QString& text) override;
  std::optional<QString> saveFileName(QWidget* parent, const QString& filter,
                                      const QString& suggested = {}) override;
  std::optional<QString> folder(QWidget* parent, const QString& caption,
                                const QString& start) override;
};

// "Все файлы (*.*)|*.*" as Qt writes a filter: "Все файлы (*.*)". The pattern of each
// entry is taken from after its bar, so the entry shows its own display text.
QString qtFilter(const QString& barFilter);

// The file name with the extension of the filter's first pattern ("Файлы CSV (*.csv)|*.csv")
// when the name typed has none: "hist" saved as CSV is "hist.csv".
QString withExtension(const QString& file, const QString& barFilter);

}  // namespace tallowick::gui
