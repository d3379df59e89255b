// The texts of the interval manager and the two initialisation dialogs: captions, labels,
// buttons and messages, exactly as the windows show them.
#pragma once

#include <string_view>

namespace tallowick::texts {

// TForm3, the serial-number interval manager.
inline constexpr std::string_view kForm3Caption = "Тест фискальных регистраторов";
inline constexpr std::string_view kGroupBox1 = "Подготовка нового интервала номеров:";
inline constexpr std::string_view kLabel3 = "Тип инициализируемого регистратора:";
inline constexpr std::string_view kLabel6Initial = "  ";
inline constexpr std::string_view kLabel4 = "Нижняя граница интервала (пять младших цифр номера):";
inline constexpr std::string_view kLabel5 = "Верхняя граница интервала (пять младших цифр номера):";
inline constexpr std::string_view kBoundInitial = "00000";
inline constexpr std::string_view kButton8 = "Продолжить";
inline constexpr std::string_view kGroupBox2 = "Текущий выбанный интервал номеров";
inline constexpr std::string_view kLabel1 = "К инициализации:";
inline constexpr std::string_view kLabel2 = "Инициализация уже выполнена:";
inline constexpr std::string_view kButton1 = ">";
inline constexpr std::string_view kButton2 = ">>";
inline constexpr std::string_view kButton3 = "<";
inline constexpr std::string_view kButton4 = "<<";
inline constexpr std::string_view kButton5 = "Очистить";
inline constexpr std::string_view kButton9 = "Сохранить";
inline constexpr std::string_view kButton6 = "Продолжить";
inline constexpr std::string_view kButton7 = "Завершить";

inline constexpr std::string_view kBadBounds = "Некорректные значения границ! Исправьте!";
inline constexpr std::string_view kBadRange = "Некорректные границы диапазона!";
inline constexpr std::string_view kClearQuestion =
    "Очистить оба списка заводских номеров, «К инициализации» и «Инициализация уже "
    "выполнена»? Сохранённые номера будут удалены.";
// The status line after a store operation.
inline constexpr std::string_view kListsSaved = "Списки сохранены.";
inline constexpr std::string_view kListsCleared = "Списки очищены.";
// The store's own explanation follows these on a new line.
inline constexpr std::string_view kListsNotRead = "Не удалось прочитать списки заводских номеров!";
inline constexpr std::string_view kListsNotSaved = "Не удалось сохранить списки заводских номеров!";
inline constexpr std::string_view kSetUpFailed =
    "Не удалось выполнить первоначальную настройку программы!";
inline constexpr std::string_view kListsNotLoaded =
    "Списки заводских номеров не были прочитаны при запуске, поэтому сохранять их нельзя: "
    "сохранённые номера были бы потеряны. Устраните причину и перезапустите программу.";

// TForm2, the date-and-time step.
inline constexpr std::string_view kForm2Caption =
    "Шаг1 (установка даты и времени) завершен успешно";
inline constexpr std::string_view kForm2Label1 =
    "Дата и время установлены.\nПосле перезагрузки РРО, инициализацию можно продолжить.";
inline constexpr std::string_view kForm2Button2 = "Продолжить инициализацию";
inline constexpr std::string_view kForm2Button1 = "Завершить программу";
// Asked when the dialog's close box or Escape would end the program.
inline constexpr std::string_view kForm2CloseQuestion =
    "Завершить программу? Инициализация не будет продолжена.";

// TForm4, the serial-number confirmation.
inline constexpr std::string_view kForm4Caption = "Завершение инициализации";
inline constexpr std::string_view kForm4Label1 = "Проверьте правильность заводского номера:";
inline constexpr std::string_view kForm4Button1 = "Неправильный";
inline constexpr std::string_view kForm4Button2 = "Правильный";
inline constexpr std::string_view kInitialisedWrongly = "Инициализация завершена некорректно!";
inline constexpr std::string_view kInitialisedRightly = "Инициализация завершена успешно!";
inline constexpr std::string_view kInitialisedNotSaved =
    "Инициализация завершена успешно, но списки заводских номеров не сохранены! Запишите номер, "
    "чтобы не использовать его повторно.";

}  // namespace tallowick::texts
