// The texts of the interval manager and the two initialisation dialogs: captions, labels,
// buttons and messages, exactly as the windows show them.
#pragma once

#include <string_view>
#include "platform/own_text.h"

namespace tallowick::texts {

// TForm3, the serial-number interval manager.
inline constexpr std::string_view kForm3Caption = Text::own("Тест фискальных регистраторов");
inline constexpr std::string_view kGroupBox1 = Text::own("Подготовка нового интервала номеров:");
inline constexpr std::string_view kLabel3 = Text::own("Тип инициализируемого регистратора:");
inline constexpr std::string_view kLabel6Initial = "  ";
inline constexpr std::string_view kLabel4 =
    Text::own("Нижняя граница интервала (пять младших цифр номера):");
inline constexpr std::string_view kLabel5 =
    Text::own("Верхняя граница интервала (пять младших цифр номера):");
inline constexpr std::string_view kBoundInitial = "00000";
inline constexpr std::string_view kButton8 = Text::own("Продолжить");
inline constexpr std::string_view kGroupBox2 = Text::own("Текущий выбанный интервал номеров");
inline constexpr std::string_view kLabel1 = Text::own("К инициализации:");
inline constexpr std::string_view kLabel2 = Text::own("Инициализация уже выполнена:");
inline constexpr std::string_view kButton1 = ">";
inline constexpr std::string_view kButton2 = ">>";
inline constexpr std::string_view kButton3 = "<";
inline constexpr std::string_view kButton4 = "<<";
inline constexpr std::string_view kButton5 = Text::own("Очистить");
inline constexpr std::string_view kButton9 = Text::own("Сохранить");
inline constexpr std::string_view kButton6 = Text::own("Продолжить");
inline constexpr std::string_view kButton7 = Text::own("Завершить");

inline constexpr std::string_view kBadBounds =
    Text::own("Некорректные значения границ! Исправьте!");
inline constexpr std::string_view kBadRange = Text::own("Некорректные границы диапазона!");
inline constexpr std::string_view kClearQuestion = Text::own(
    "Очистить оба списка заводских номеров, «К инициализации» и «Инициализация уже "
    "выполнена»? Сохранённые номера будут удалены.");
// The status line after a store operation.
inline constexpr std::string_view kListsSaved = Text::own("Списки сохранены.");
inline constexpr std::string_view kListsCleared = Text::own("Списки очищены.");
// The store's own explanation follows these on a new line.
inline constexpr std::string_view kListsNotRead =
    Text::own("Не удалось прочитать списки заводских номеров!");
inline constexpr std::string_view kListsNotSaved =
    Text::own("Не удалось сохранить списки заводских номеров!");
inline constexpr std::string_view kSetUpFailed =
    Text::own("Не удалось выполнить первоначальную настройку программы!");
inline constexpr std::string_view kListsNotLoaded = Text::own(
    "Списки заводских номеров не были прочитаны при запуске, поэтому сохранять их нельзя: "
    "сохранённые номера были бы потеряны. Устраните причину и перезапустите программу.");

// TForm2, the date-and-time step.
inline constexpr std::string_view kForm2Caption =
    Text::own("Шаг1 (установка даты и времени) завершен успешно");
inline constexpr std::string_view kForm2Label1 =
    Text::own("Дата и время установлены.\nПосле перезагрузки РРО, инициализацию можно продолжить.");
inline constexpr std::string_view kForm2Button2 = Text::own("Продолжить инициализацию");
inline constexpr std::string_view kForm2Button1 = Text::own("Завершить программу");
// Asked when the dialog's close box or Escape would end the program.
inline constexpr std::string_view kForm2CloseQuestion =
    Text::own("Завершить программу? Инициализация не будет продолжена.");

// TForm4, the serial-number confirmation.
inline constexpr std::string_view kForm4Caption = Text::own("Завершение инициализации");
inline constexpr std::string_view kForm4Label1 =
    Text::own("Проверьте правильность заводского номера:");
inline constexpr std::string_view kForm4Button1 = Text::own("Неправильный");
inline constexpr std::string_view kForm4Button2 = Text::own("Правильный");
inline constexpr std::string_view kInitialisedWrongly =
    Text::own("Инициализация завершена некорректно!");
inline constexpr std::string_view kInitialisedRightly =
    Text::own("Инициализация завершена успешно!");
inline constexpr std::string_view kInitialisedNotSaved = Text::own(
    "Инициализация завершена успешно, но списки заводских номеров не сохранены! Запишите номер, "
    "чтобы не использовать его повторно.");

}  // namespace tallowick::texts
