// Qt's own texts are Russian once the program's translation is installed: a standard
// button, the labels of the file dialog and the text fields' context menu. Nothing here
// depends on the platform, so the same test runs in the Windows build.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "gui/translation.h"

class TranslationTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    // The copy built into the program comes first, whatever the system has.
    QCOMPARE(tallowick::gui::installLanguage("ru"), QStringLiteral(":/translations/qtbase_ru.qm"));
  }

  void standardButtonsSpeakRussian() {
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    QCOMPARE(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
  }

  void theFileDialogSpeaksRussian() {
    QFileDialog dialog(nullptr, QString(), QString(), QStringLiteral("Все файлы (*.*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    const auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    QVERIFY(lookIn && fileName);
    QCOMPARE(lookIn->text(), QStringLiteral("Перейти к:"));
    QCOMPARE(fileName->text(), QStringLiteral("&Имя файла:"));
  }

  void theTextFieldsMenuSpeaksRussian() {
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    QVERIFY(!texts.filter(QStringLiteral("Копировать")).isEmpty());
  }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
