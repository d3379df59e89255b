#include "gui/dialog_service.h"

#include "gui/widgets.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace tallowick::gui {

void ModalDialogs::messageBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

bool ModalDialogs::question(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                  QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(qs(Text::tr("Да")), QMessageBox::YesRole);
  QPushButton* no = box.addButton(qs(Text::tr("Нет")), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<QString> ModalDialogs::saveFileName(QWidget* parent, const QString& filter,
                                                  const QString& suggested) {
  const QString file = QFileDialog::getSaveFileName(parent, QString(), suggested, qtFilter(filter));
  if (file.isEmpty()) return std::nullopt;
  return file;
}

std::optional<QString> ModalDialogs::folder(QWidget* parent, const QString& caption,
                                            const QString& start) {
  const QString chosen = QFileDialog::getExistingDirectory(parent, caption, start);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

QString qtFilter(const QString& barFilter) {
  const QStringList parts = barFilter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& display = parts[i];
    const QString& pattern = parts[i + 1];
    // Qt reads the patterns from the parentheses of the display text; put them there
    // when the display text does not already carry them.
    entries << (display.contains(QLatin1Char('(')) ? display : display + " (" + pattern + ")");
  }
  return entries.join(QStringLiteral(";;"));
}

QString withExtension(const QString& file, const QString& barFilter) {
  if (!QFileInfo(file).suffix().isEmpty()) return file;
  const QString pattern = barFilter.section(QLatin1Char('|'), 1, 1);
  const qsizetype dot = pattern.indexOf(QLatin1Char('.'));
  return dot < 0 || pattern.mid(dot) == QLatin1String(".*") ? file : file + pattern.mid(dot);
}

}  // namespace tallowick::gui
