<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ro" sourcelanguage="ru">
<context>
    <name>Text</name>
    <message>
        <source>Да</source>
        <translation>Da</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>Nu</translation>
    </message>
    <message>
        <source>Отключить</source>
        <translation>Deconectează</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Conectează</translation>
    </message>
    <message>
        <source>Несколько РРО</source>
        <translation>Mai multe RF</translation>
    </message>
    <message>
        <source>Тест нескольких регистраторов сразу</source>
        <translation>Testarea mai multor registratoare simultan</translation>
    </message>
    <message>
        <source>Инициализация регистратора</source>
        <translation>Inițializarea registratorului</translation>
    </message>
    <message>
        <source>Тест РРО</source>
        <translation>Test RF</translation>
    </message>
    <message>
        <source>Вспомогательные функции</source>
        <translation>Funcții auxiliare</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Închide</translation>
    </message>
    <message>
        <source>История</source>
        <translation>Istoric</translation>
    </message>
    <message>
        <source>История тестов и инициализаций</source>
        <translation>Istoricul testelor și inițializărilor</translation>
    </message>
    <message>
        <source>ВНИМАНИЕ!
Перед началом инициализации укажите дату, время и заводской номер регистратора</source>
        <translation>ATENȚIE!
Înainte de inițializare indicați data, ora și numărul de fabricație al registratorului</translation>
    </message>
    <message>
        <source>Дата (DDMMYY): </source>
        <translation>Data (DDMMYY): </translation>
    </message>
    <message>
        <source>Время (HHMM):</source>
        <translation>Ora (HHMM):</translation>
    </message>
    <message>
        <source>Обновить дату/время</source>
        <translation>Actualizează data/ora</translation>
    </message>
    <message>
        <source>Заводской номер:</source>
        <translation>Nr. de fabricație:</translation>
    </message>
    <message>
        <source>Начать инициализацию</source>
        <translation>Începe inițializarea</translation>
    </message>
    <message>
        <source>Стереть фискальную память</source>
        <translation>Șterge memoria fiscală</translation>
    </message>
    <message>
        <source>Перезагрузить устройство</source>
        <translation>Repornește dispozitivul</translation>
    </message>
    <message>
        <source>Задержка (мс) между подтестами</source>
        <translation>Pauză (ms) între subteste</translation>
    </message>
    <message>
        <source>циклов</source>
        <translation>treceri</translation>
    </message>
    <message>
        <source>Без фискальных чеков и Z-отчета</source>
        <translation>Fără bonuri fiscale și raport Z</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Golește</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Salvează</translation>
    </message>
    <message>
        <source>Z-отчет</source>
        <translation>Raport Z</translation>
    </message>
    <message>
        <source>X-отчет</source>
        <translation>Raport X</translation>
    </message>
    <message>
        <source>Аннулировать чек</source>
        <translation>Anulează bonul</translation>
    </message>
    <message>
        <source>Открыть денежный ящик</source>
        <translation>Deschide sertarul de bani</translation>
    </message>
    <message>
        <source>Установить налоги</source>
        <translation>Setează cotele TVA</translation>
    </message>
    <message>
        <source>Выполнить внутренний тест</source>
        <translation>Execută testul intern</translation>
    </message>
    <message>
        <source>0. Техническая информация</source>
        <translation>0. Informații tehnice</translation>
    </message>
    <message>
        <source>1. Статус фискального блока</source>
        <translation>1. Starea blocului fiscal</translation>
    </message>
    <message>
        <source>2. Полный тест</source>
        <translation>2. Test complet</translation>
    </message>
    <message>
        <source>Порт %1 занят окном «%2».</source>
        <translation>Portul %1 este ocupat de fereastra «%2».</translation>
    </message>
    <message>
        <source>Сохранен: %1</source>
        <translation>Salvat: %1</translation>
    </message>
    <message>
        <source>Все файлы (*.*)|*.*</source>
        <translation>Toate fișierele (*.*)|*.*</translation>
    </message>
    <message>
        <source>Тест для Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012</source>
        <translation>Test pentru Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012</translation>
    </message>
    <message>
        <source>Идет тест регистратора. Остановить тест и закрыть программу? Несохраненный журнал теста будет потерян.</source>
        <translation>Testul registratorului este în curs. Opriți testul și închideți programul? Jurnalul nesalvat al testului se va pierde.</translation>
    </message>
    <message>
        <source>Линия...</source>
        <translation>Linia...</translation>
    </message>
    <message>
        <source>База линии: подключение, имя станции и запас номеров этого компьютера</source>
        <translation>Baza de date a liniei: conexiunea, numele stației și rezerva de numere a acestui calculator</translation>
    </message>
    <message>
        <source>. Номера — из запаса станции.</source>
        <translation>. Numerele — din rezerva stației.</translation>
    </message>
    <message>
        <source>На линии книгой номеров управляет администратор линии: tallowick-cli book и db.</source>
        <translation>Pe linie, cartea numerelor de fabricație este gestionată de administratorul liniei: tallowick-cli book și db.</translation>
    </message>
    <message>
        <source>Завершен</source>
        <translation>Finalizat</translation>
    </message>
    <message>
        <source>Завершен с ошибками</source>
        <translation>Finalizat cu erori</translation>
    </message>
    <message>
        <source>Прерван</source>
        <translation>Întrerupt</translation>
    </message>
    <message>
        <source>Остановлен</source>
        <translation>Oprit</translation>
    </message>
    <message>
        <source>Ввод отклонен</source>
        <translation>Date respinse</translation>
    </message>
    <message>
        <source>Инициализация</source>
        <translation>Inițializare</translation>
    </message>
    <message>
        <source>* — еще не на линии: ждет отправки со станции.</source>
        <translation>* — încă nu este pe linie: așteaptă trimiterea de la stație.</translation>
    </message>
    <message>
        <source>Дата с</source>
        <translation>De la</translation>
    </message>
    <message>
        <source>по</source>
        <translation>la</translation>
    </message>
    <message>
        <source>ДД.ММ.ГГГГ</source>
        <translation>ZZ.LL.AAAA</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>Заводской номер</source>
        <translation>Nr. de fabricație</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Rezultat</translation>
    </message>
    <message>
        <source>Все</source>
        <translation>Toate</translation>
    </message>
    <message>
        <source>Показать</source>
        <translation>Afișează</translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Început</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Ошибок</source>
        <translation>Erori</translation>
    </message>
    <message>
        <source>Длительность</source>
        <translation>Durată</translation>
    </message>
    <message>
        <source>Пользователь</source>
        <translation>Utilizator</translation>
    </message>
    <message>
        <source>Станция</source>
        <translation>Stație</translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation>Jurnal</translation>
    </message>
    <message>
        <source>Экспорт...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>Неверная дата &quot;%1&quot;! Укажите существующую дату в виде ДД.ММ.ГГГГ, например 07.12.2026.</source>
        <translation>Dată greșită &quot;%1&quot;! Indicați o dată existentă în forma ZZ.LL.AAAA, de exemplu 07.12.2026.</translation>
    </message>
    <message>
        <source>Начальная дата позже конечной!</source>
        <translation>Data de început este după data de sfârșit!</translation>
    </message>
    <message>
        <source>Записей нет.</source>
        <translation>Nu există înregistrări.</translation>
    </message>
    <message>
        <source>Показаны последние %1 записей; более ранние найдет фильтр.</source>
        <translation>Sunt afișate ultimele %1 înregistrări; pe cele mai vechi le găsește filtrul.</translation>
    </message>
    <message>
        <source>Записей: %1.</source>
        <translation>Înregistrări: %1.</translation>
    </message>
    <message>
        <source>Выберите запись в списке.</source>
        <translation>Selectați o înregistrare din listă.</translation>
    </message>
    <message>
        <source>Запись не найдена в истории.</source>
        <translation>Înregistrarea nu a fost găsită în istoric.</translation>
    </message>
    <message>
        <source>Журнал: </source>
        <translation>Jurnal: </translation>
    </message>
    <message>
        <source>, порт </source>
        <translation>, port </translation>
    </message>
    <message>
        <source>, заводской номер </source>
        <translation>, număr de fabricație </translation>
    </message>
    <message>
        <source>, ошибок: </source>
        <translation>, erori: </translation>
    </message>
    <message>
        <source>, длительность </source>
        <translation>, durata </translation>
    </message>
    <message>
        <source>Нет записей для экспорта.</source>
        <translation>Nu există înregistrări pentru export.</translation>
    </message>
    <message>
        <source>Записей выгружено: %1, в файл %2</source>
        <translation>Înregistrări exportate: %1, în fișierul %2</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)|*.csv</source>
        <translation>Fișiere CSV (*.csv)|*.csv</translation>
    </message>
    <message>
        <source>Файлы JSON (*.json)|*.json</source>
        <translation>Fișiere JSON (*.json)|*.json</translation>
    </message>
    <message>
        <source>Отчеты JUnit XML (*.xml)|*.xml</source>
        <translation>Rapoarte JUnit XML (*.xml)|*.xml</translation>
    </message>
    <message>
        <source>Подключение к базе линии (без пароля):</source>
        <translation>Conexiunea la baza de date a liniei (fără parolă):</translation>
    </message>
    <message>
        <source>Имя станции на линии:</source>
        <translation>Numele stației pe linie:</translation>
    </message>
    <message>
        <source>Запас номеров станции:</source>
        <translation>Rezerva de numere a stației:</translation>
    </message>
    <message>
        <source>Пустое подключение: станция работает одна, со своей книгой номеров. Пароль берется из файла паролей или служб libpq, а не отсюда. Изменения вступят в силу при следующем запуске программы.</source>
        <translation>Conexiune goală: stația lucrează singură, cu propria carte a numerelor de fabricație. Parola se ia din fișierul de parole sau din fișierul de servicii libpq, nu de aici. Modificările vor intra în vigoare la următoarea pornire a programului.</translation>
    </message>
    <message>
        <source>База линии</source>
        <translation>Baza de date a liniei</translation>
    </message>
    <message>
        <source>Сохранено. Настройки линии вступят в силу при следующем запуске программы.</source>
        <translation>Salvat. Setările liniei vor intra în vigoare la următoarea pornire a programului.</translation>
    </message>
    <message>
        <source>Сообщение: </source>
        <translation>Mesaj: </translation>
    </message>
    <message>
        <source>Не номер книги: нужен префикс типа и пять цифр, например ЕД80012345</source>
        <translation>Nu este un număr din carte: este necesar prefixul tipului și cinci cifre, de exemplu DH21012345</translation>
    </message>
    <message>
        <source>Нет в списке «Инициализация уже выполнена»</source>
        <translation>Nu este în lista «Deja inițializate»</translation>
    </message>
    <message>
        <source>идёт</source>
        <translation>în curs</translation>
    </message>
    <message>
        <source>завершён</source>
        <translation>finalizat</translation>
    </message>
    <message>
        <source>завершён с ошибками</source>
        <translation>finalizat cu erori</translation>
    </message>
    <message>
        <source>прерван</source>
        <translation>întrerupt</translation>
    </message>
    <message>
        <source>прерван: %1</source>
        <translation>întrerupt: %1</translation>
    </message>
    <message>
        <source>остановлен</source>
        <translation>oprit</translation>
    </message>
    <message>
        <source>Порты:</source>
        <translation>Porturi:</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Adaugă</translation>
    </message>
    <message>
        <source>Скорость:</source>
        <translation>Viteză:</translation>
    </message>
    <message>
        <source>Папка журналов…</source>
        <translation>Folderul jurnalelor…</translation>
    </message>
    <message>
        <source>Папка журналов не выбрана.</source>
        <translation>Folderul jurnalelor nu este ales.</translation>
    </message>
    <message>
        <source>Журналы: %1</source>
        <translation>Jurnale: %1</translation>
    </message>
    <message>
        <source>Прошивка</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Шаг</source>
        <translation>Pas</translation>
    </message>
    <message>
        <source>Ход</source>
        <translation>Progres</translation>
    </message>
    <message>
        <source>Ошибки</source>
        <translation>Erori</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>Stare</translation>
    </message>
    <message>
        <source>Книга не прочитана, номера не сверены: %1</source>
        <translation>Cartea nu a fost citită, numerele nu au fost verificate: %1</translation>
    </message>
    <message>
        <source>Папка для журналов тестов</source>
        <translation>Folderul pentru jurnalele testelor</translation>
    </message>
    <message>
        <source>Папка не запомнена для следующих запусков: %1</source>
        <translation>Folderul nu a fost memorat pentru următoarele porniri: %1</translation>
    </message>
    <message>
        <source>Отметьте порты, на которых проверить регистраторы.</source>
        <translation>Bifați porturile pe care să fie verificate registratoarele.</translation>
    </message>
    <message>
        <source>Тесты не начаты: не выбрана папка для журналов.</source>
        <translation>Testele nu au pornit: nu este ales folderul pentru jurnale.</translation>
    </message>
    <message>
        <source>Порт %1 занят главным окном</source>
        <translation>Portul %1 este ocupat de fereastra principală</translation>
    </message>
    <message>
        <source>Идут тесты: %1.</source>
        <translation>Teste în curs: %1.</translation>
    </message>
    <message>
        <source>Тесты закончены: завершены %1, с ошибками %2, прерваны %3, остановлены %4.</source>
        <translation>Teste încheiate: finalizate %1, cu erori %2, întrerupte %3, oprite %4.</translation>
    </message>
    <message>
        <source>Несколько регистраторов</source>
        <translation>Mai multe registratoare</translation>
    </message>
    <message>
        <source>Идут тесты регистраторов. Остановить все тесты и закрыть окно?</source>
        <translation>Testele registratoarelor sunt în curs. Opriți toate testele și închideți fereastra?</translation>
    </message>
    <message>
        <source>9600 бод</source>
        <translation>9600 baud</translation>
    </message>
    <message>
        <source>19200 бод</source>
        <translation>19200 baud</translation>
    </message>
    <message>
        <source>57600 бод</source>
        <translation>57600 baud</translation>
    </message>
    <message>
        <source>115200 бод</source>
        <translation>115200 baud</translation>
    </message>
    <message>
        <source>&quot;Count&quot; не REG_DWORD</source>
        <translation>&quot;Count&quot; nu este REG_DWORD</translation>
    </message>
    <message>
        <source>Нет ключа.</source>
        <translation>Cheia lipsește.</translation>
    </message>
    <message>
        <source>Изменение при чтении.</source>
        <translation>Modificare în modul de citire.</translation>
    </message>
    <message>
        <source>Запись прервана (сбой для проверки).</source>
        <translation>Scriere întreruptă (defecțiune de probă).</translation>
    </message>
    <message>
        <source>Заводской номер содержит символы, которые нельзя сохранить; списки не изменены.</source>
        <translation>Numărul de fabricație conține caractere care nu pot fi salvate; listele nu au fost modificate.</translation>
    </message>
    <message>
        <source>Путь к программе нельзя сохранить в реестре.</source>
        <translation>Calea programului nu poate fi salvată în registru.</translation>
    </message>
    <message>
        <source>Ошибка при работе с реестром Windows</source>
        <translation>Eroare la lucrul cu registrul Windows</translation>
    </message>
    <message>
        <source>Нет права на запись в реестр Windows (запустите программу от имени администратора)</source>
        <translation>Nu există drept de scriere în registrul Windows (porniți programul ca administrator)</translation>
    </message>
    <message>
        <source>Реестр Windows занят другой программой</source>
        <translation>Registrul Windows este ocupat de alt program</translation>
    </message>
    <message>
        <source>Реестр Windows повреждён</source>
        <translation>Registrul Windows este deteriorat</translation>
    </message>
    <message>
        <source>Тест фискальных регистраторов</source>
        <translation>Testul registratoarelor fiscale</translation>
    </message>
    <message>
        <source>Подготовка нового интервала номеров:</source>
        <translation>Pregătirea unui nou interval de numere:</translation>
    </message>
    <message>
        <source>Тип инициализируемого регистратора:</source>
        <translation>Tipul registratorului de inițializat:</translation>
    </message>
    <message>
        <source>Нижняя граница интервала (пять младших цифр номера):</source>
        <translation>Limita inferioară a intervalului (ultimele cinci cifre ale numărului):</translation>
    </message>
    <message>
        <source>Верхняя граница интервала (пять младших цифр номера):</source>
        <translation>Limita superioară a intervalului (ultimele cinci cifre ale numărului):</translation>
    </message>
    <message>
        <source>Продолжить</source>
        <translation>Continuă</translation>
    </message>
    <message>
        <source>Текущий выбанный интервал номеров</source>
        <translation>Intervalul curent de numere ales</translation>
    </message>
    <message>
        <source>К инициализации:</source>
        <translation>De inițializat:</translation>
    </message>
    <message>
        <source>Инициализация уже выполнена:</source>
        <translation>Deja inițializate:</translation>
    </message>
    <message>
        <source>Завершить</source>
        <translation>Încheie</translation>
    </message>
    <message>
        <source>Некорректные значения границ! Исправьте!</source>
        <translation>Valori incorecte ale limitelor! Corectați-le!</translation>
    </message>
    <message>
        <source>Некорректные границы диапазона!</source>
        <translation>Limite incorecte ale intervalului!</translation>
    </message>
    <message>
        <source>Очистить оба списка заводских номеров, «К инициализации» и «Инициализация уже выполнена»? Сохранённые номера будут удалены.</source>
        <translation>Goliți ambele liste de numere de fabricație, «De inițializat» și «Deja inițializate»? Numerele salvate vor fi șterse.</translation>
    </message>
    <message>
        <source>Списки сохранены.</source>
        <translation>Listele au fost salvate.</translation>
    </message>
    <message>
        <source>Списки очищены.</source>
        <translation>Listele au fost golite.</translation>
    </message>
    <message>
        <source>Не удалось прочитать списки заводских номеров!</source>
        <translation>Nu s-au putut citi listele numerelor de fabricație!</translation>
    </message>
    <message>
        <source>Не удалось сохранить списки заводских номеров!</source>
        <translation>Nu s-au putut salva listele numerelor de fabricație!</translation>
    </message>
    <message>
        <source>Не удалось выполнить первоначальную настройку программы!</source>
        <translation>Nu s-a putut efectua configurarea inițială a programului!</translation>
    </message>
    <message>
        <source>Списки заводских номеров не были прочитаны при запуске, поэтому сохранять их нельзя: сохранённые номера были бы потеряны. Устраните причину и перезапустите программу.</source>
        <translation>Listele numerelor de fabricație nu au fost citite la pornire, de aceea nu pot fi salvate: numerele salvate s-ar pierde. Înlăturați cauza și reporniți programul.</translation>
    </message>
    <message>
        <source>Шаг1 (установка даты и времени) завершен успешно</source>
        <translation>Pasul 1 (setarea datei și orei) s-a încheiat cu succes</translation>
    </message>
    <message>
        <source>Дата и время установлены.
После перезагрузки РРО, инициализацию можно продолжить.</source>
        <translation>Data și ora au fost setate.
După repornirea registratorului fiscal, inițializarea poate fi continuată.</translation>
    </message>
    <message>
        <source>Продолжить инициализацию</source>
        <translation>Continuă inițializarea</translation>
    </message>
    <message>
        <source>Завершить программу</source>
        <translation>Închide programul</translation>
    </message>
    <message>
        <source>Завершить программу? Инициализация не будет продолжена.</source>
        <translation>Închideți programul? Inițializarea nu va fi continuată.</translation>
    </message>
    <message>
        <source>Завершение инициализации</source>
        <translation>Finalizarea inițializării</translation>
    </message>
    <message>
        <source>Проверьте правильность заводского номера:</source>
        <translation>Verificați corectitudinea numărului de fabricație:</translation>
    </message>
    <message>
        <source>Неправильный</source>
        <translation>Greșit</translation>
    </message>
    <message>
        <source>Правильный</source>
        <translation>Corect</translation>
    </message>
    <message>
        <source>Инициализация завершена некорректно!</source>
        <translation>Inițializarea s-a încheiat incorect!</translation>
    </message>
    <message>
        <source>Инициализация завершена успешно!</source>
        <translation>Inițializarea s-a încheiat cu succes!</translation>
    </message>
    <message>
        <source>Инициализация завершена успешно, но списки заводских номеров не сохранены! Запишите номер, чтобы не использовать его повторно.</source>
        <translation>Inițializarea s-a încheiat cu succes, dar listele numerelor de fabricație nu au fost salvate! Notați numărul, ca să nu-l folosiți din nou.</translation>
    </message>
    <message>
        <source>Порт не выбран</source>
        <translation>Nu este ales niciun port</translation>
    </message>
    <message>
        <source>Порт %1 не найден: нет такого устройства</source>
        <translation>Portul %1 nu a fost găsit: nu există un astfel de dispozitiv</translation>
    </message>
    <message>
        <source>Нет прав на доступ к порту %1</source>
        <translation>Nu există drepturi de acces la portul %1</translation>
    </message>
    <message>
        <source>Порт %1 занят другой программой</source>
        <translation>Portul %1 este ocupat de alt program</translation>
    </message>
    <message>
        <source>%1 не является последовательным портом</source>
        <translation>%1 nu este un port serial</translation>
    </message>
    <message>
        <source>Драйвер порта %1 не принимает скорость %2 бод</source>
        <translation>Driverul portului %1 nu acceptă viteza de %2 baud</translation>
    </message>
    <message>
        <source>Порт %1 не открывается</source>
        <translation>Portul %1 nu se deschide</translation>
    </message>
    <message>
        <source>. Добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и войдите в систему заново</source>
        <translation>. Adăugați utilizatorul în grupul dialout (sudo usermod -aG dialout $USER) și autentificați-vă din nou</translation>
    </message>
    <message>
        <source>Тест остановлен</source>
        <translation>Testul a fost oprit</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка X-отчета!</source>
        <translation>Dispozitivul nu răspunde! Eroare la raportul X!</translation>
    </message>
    <message>
        <source>Ошибка X-отчета</source>
        <translation>Eroare la raportul X</translation>
    </message>
    <message>
        <source>X-отчет - успешно</source>
        <translation>Raport X - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка!</source>
        <translation>Dispozitivul nu răspunde! Eroare!</translation>
    </message>
    <message>
        <source>Ошибка перезагрузки регистратора!</source>
        <translation>Eroare la repornirea registratorului!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия денежного ящика!</source>
        <translation>Dispozitivul nu răspunde! Eroare la deschiderea sertarului de bani!</translation>
    </message>
    <message>
        <source>Ошибка открытия денежного ящика!</source>
        <translation>Eroare la deschiderea sertarului de bani!</translation>
    </message>
    <message>
        <source>Открытие денежного ящика -- успешно!</source>
        <translation>Deschiderea sertarului de bani -- cu succes!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка внутреннего теста!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul intern!</translation>
    </message>
    <message>
        <source>Ошибка внутреннего теста</source>
        <translation>Eroare la testul intern</translation>
    </message>
    <message>
        <source>Внутренний тест - успешно</source>
        <translation>Test intern - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия служебного чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la închiderea bonului de serviciu!</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека</source>
        <translation>Eroare la închiderea bonului de serviciu</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка работы  с  индикаторами клиента!</source>
        <translation>Dispozitivul nu răspunde! Eroare de lucru  cu  afișajul clientului!</translation>
    </message>
    <message>
        <source>Ошибка индикаторов клиента</source>
        <translation>Eroare la afișajul clientului</translation>
    </message>
    <message>
        <source>Нет открытых чеков!</source>
        <translation>Nu există bonuri deschise!</translation>
    </message>
    <message>
        <source>Служебный чек закрыт</source>
        <translation>Bon de serviciu închis</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка аннулирования чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la anularea bonului!</translation>
    </message>
    <message>
        <source>Ошибка аннулирования чека</source>
        <translation>Eroare la anularea bonului</translation>
    </message>
    <message>
        <source>Чек закрыт</source>
        <translation>Bon închis</translation>
    </message>
    <message>
        <source>Ошибка установки налогов!</source>
        <translation>Eroare la setarea cotelor TVA!</translation>
    </message>
    <message>
        <source>Успешно!</source>
        <translation>Reușit!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка Z-отчета!</source>
        <translation>Dispozitivul nu răspunde! Eroare la raportul Z!</translation>
    </message>
    <message>
        <source>Ошибка Z-отчета</source>
        <translation>Eroare la raportul Z</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка обнуления контрольной ленты!</source>
        <translation>Dispozitivul nu răspunde! Eroare la ștergerea benzii de control!</translation>
    </message>
    <message>
        <source>Ошибка обнуления контрольной ленты</source>
        <translation>Eroare la ștergerea benzii de control</translation>
    </message>
    <message>
        <source>Z-отчет - успешно</source>
        <translation>Raport Z - cu succes</translation>
    </message>
    <message>
        <source>Z-отчет - успешно!</source>
        <translation>Raport Z - cu succes!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка чтения счетчиков дневных!</source>
        <translation>Dispozitivul nu răspunde! Eroare la citirea contoarelor zilnice!</translation>
    </message>
    <message>
        <source>Ошибка чтения счетчиков дневных!</source>
        <translation>Eroare la citirea contoarelor zilnice!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка инициализации!</source>
        <translation>Dispozitivul nu răspunde! Eroare la inițializare!</translation>
    </message>
    <message>
        <source>Ошибка инициализации!</source>
        <translation>Eroare la inițializare!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати текста!</source>
        <translation>Dispozitivul nu răspunde! Eroare la tipărirea textului!</translation>
    </message>
    <message>
        <source>Ошибка печати текста</source>
        <translation>Eroare la tipărirea textului</translation>
    </message>
    <message>
        <source>Печать текста - успешно</source>
        <translation>Tipărirea textului - cu succes</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека! Ошибка!</source>
        <translation>Eroare la închiderea bonului de serviciu! Eroare!</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека!</source>
        <translation>Eroare la închiderea bonului de serviciu!</translation>
    </message>
    <message>
        <source>Невозможно подключить порт</source>
        <translation>Portul nu poate fi conectat</translation>
    </message>
    <message>
        <source>Тест регистратора расчетных операций</source>
        <translation>Testul registratorului fiscal</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А не установлен!  Таймаут!!!</source>
        <translation>Pasul 3. Cota TVA A nu a fost setată!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А не установлен!  Ошибка!!!</source>
        <translation>Pasul 3. Cota TVA A nu a fost setată!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А установлен! </source>
        <translation>Pasul 3. Cota TVA A a fost setată! </translation>
    </message>
    <message>
        <source>Шаг 3 завершен успешно! </source>
        <translation>Pasul 3 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б не установлен!  Таймаут!!!</source>
        <translation>Pasul 4. Cota TVA B nu a fost setată!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б не установлен!  Ошибка!!!</source>
        <translation>Pasul 4. Cota TVA B nu a fost setată!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б установлен! </source>
        <translation>Pasul 4. Cota TVA B a fost setată! </translation>
    </message>
    <message>
        <source>Шаг 4 завершен успешно! </source>
        <translation>Pasul 4 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Шаг 5. Налог В не установлен!  Таймаут!!!</source>
        <translation>Pasul 5. Cota TVA C nu a fost setată!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 5. Налог В не установлен!  Ошибка!!!</source>
        <translation>Pasul 5. Cota TVA C nu a fost setată!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 5. Налог В установлен! </source>
        <translation>Pasul 5. Cota TVA C a fost setată! </translation>
    </message>
    <message>
        <source>Шаг 5 завершен успешно! </source>
        <translation>Pasul 5 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г не установлен!  Таймаут!!!</source>
        <translation>Pasul 6. Cota TVA D nu a fost setată!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г не установлен!  Ошибка!!!</source>
        <translation>Pasul 6. Cota TVA D nu a fost setată!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г установлен! </source>
        <translation>Pasul 6. Cota TVA D a fost setată! </translation>
    </message>
    <message>
        <source>Шаг 6 завершен успешно! </source>
        <translation>Pasul 6 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Шаг 7. Налоги  не установлены!  Таймаут!!!</source>
        <translation>Pasul 7. Cotele TVA  nu au fost setate!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 7. Налоги не установлены!  Ошибка!!!</source>
        <translation>Pasul 7. Cotele TVA nu au fost setate!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 7. Налоги установлены! </source>
        <translation>Pasul 7. Cotele TVA au fost setate! </translation>
    </message>
    <message>
        <source>Шаг 7 завершен успешно! </source>
        <translation>Pasul 7 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Заводской номер %1 не из списка «К инициализации». Записать его в регистратор?</source>
        <translation>Numărul de fabricație %1 nu este din lista «De inițializat». Îl înscrieți în registrator?</translation>
    </message>
    <message>
        <source>Стереть фискальную память регистратора? Все данные фискальной памяти будут потеряны, отменить это нельзя.</source>
        <translation>Ștergeți memoria fiscală a registratorului? Toate datele din memoria fiscală se vor pierde, iar acest lucru nu poate fi anulat.</translation>
    </message>
    <message>
        <source>Стереть фискальную память регистратора %1? Все данные фискальной памяти будут потеряны, отменить это нельзя.</source>
        <translation>Ștergeți memoria fiscală a registratorului %1? Toate datele din memoria fiscală se vor pierde, iar acest lucru nu poate fi anulat.</translation>
    </message>
    <message>
        <source>Успешно. Регистратор перезагружен!</source>
        <translation>Reușit. Registratorul a fost repornit!</translation>
    </message>
    <message>
        <source>Ошибка обнуления ФП!</source>
        <translation>Eroare la ștergerea memoriei fiscale!</translation>
    </message>
    <message>
        <source>Успешно. ФП обнулена!</source>
        <translation>Reușit. Memoria fiscală a fost ștearsă!</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время не установлены!  Таймаут!!!</source>
        <translation>Pasul 1. Data și ora nu au fost setate!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время не установлены!  Ошибка!!!</source>
        <translation>Pasul 1. Data și ora nu au fost setate!  Eroare!!!</translation>
    </message>
    <message>
        <source>Ошибка установки времени!</source>
        <translation>Eroare la setarea orei!</translation>
    </message>
    <message>
        <source>Начало инициализации регистратора.</source>
        <translation>Începutul inițializării registratorului.</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время установлены успешно.  Перезагрузка РРО...</source>
        <translation>Pasul 1. Data și ora au fost setate cu succes.  Repornirea registratorului fiscal...</translation>
    </message>
    <message>
        <source>Инициализация выполнена!</source>
        <translation>Inițializare efectuată!</translation>
    </message>
    <message>
        <source>Конец инициализации регистратора.</source>
        <translation>Sfârșitul inițializării registratorului.</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер не установлен!  Ошибка!!!</source>
        <translation>Pasul 2. Numărul de fabricație nu a fost înscris!  Eroare!!!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер из книги: %1</source>
        <translation>Pasul 2. Numărul de fabricație din carte: %1</translation>
    </message>
    <message>
        <source>Ошибка установки заводского номера!</source>
        <translation>Eroare la înscrierea numărului de fabricație!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер не установлен!  Таймаут!!!</source>
        <translation>Pasul 2. Numărul de fabricație nu a fost înscris!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер установлен! </source>
        <translation>Pasul 2. Numărul de fabricație a fost înscris! </translation>
    </message>
    <message>
        <source>Шаг 2 завершен успешно! </source>
        <translation>Pasul 2 s-a încheiat cu succes! </translation>
    </message>
    <message>
        <source>Шаг 1. Перезагрузка регистратора не выыполнена!  Таймаут!!!</source>
        <translation>Pasul 1. Repornirea registratorului nu a fost efectuată!  Fără răspuns!!!</translation>
    </message>
    <message>
        <source>Шаг 1. Перезагрузка регистратора не выполнена!  Ошибка!!!</source>
        <translation>Pasul 1. Repornirea registratorului nu a fost efectuată!  Eroare!!!</translation>
    </message>
    <message>
        <source>Ошибка инициализации! Ошибка!</source>
        <translation>Eroare la inițializare! Eroare!</translation>
    </message>
    <message>
        <source>Не заполнены все необходимые поля!!!</source>
        <translation>Nu sunt completate toate câmpurile necesare!!!</translation>
    </message>
    <message>
        <source>Дата, время и заводской номер не должны содержать символ &apos;;&apos;, управляющие символы и символы вне кодировки Windows-1251!</source>
        <translation>Data, ora și numărul de fabricație nu trebuie să conțină caracterul &apos;;&apos;, caractere de control și caractere din afara codificării Windows-1251!</translation>
    </message>
    <message>
        <source>Неверная дата! Укажите существующую дату в виде DDMMYY (день 01-31, месяц 01-12).</source>
        <translation>Dată greșită! Indicați o dată existentă în forma DDMMYY (ziua 01-31, luna 01-12).</translation>
    </message>
    <message>
        <source>Неверное время! Укажите время в виде HHMM (часы 00-23, минуты 00-59).</source>
        <translation>Oră greșită! Indicați ora în forma HHMM (ore 00-23, minute 00-59).</translation>
    </message>
    <message>
        <source>Заводской номер слишком длинный: в команду помещается не более 211 символов!</source>
        <translation>Numărul de fabricație este prea lung: în comandă încap cel mult 211 caractere!</translation>
    </message>
    <message>
        <source>В книге нет типа регистратора %1 (%2): укажите тип номера.</source>
        <translation>În carte nu există tipul de registrator %1 (%2): indicați tipul numărului.</translation>
    </message>
    <message>
        <source>В списке «К инициализации» нет номеров типа «%1».</source>
        <translation>În lista «De inițializat» nu există numere de tipul «%1».</translation>
    </message>
    <message>
        <source>Внимание!  Service Mode включен.</source>
        <translation>Atenție!  Service Mode activat.</translation>
    </message>
    <message>
        <source>Service Mode выключен.</source>
        <translation>Service Mode dezactivat.</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка GetDeviceInfo!</source>
        <translation>Dispozitivul nu răspunde! Eroare GetDeviceInfo!</translation>
    </message>
    <message>
        <source>Ошибка GetDeviceInfo</source>
        <translation>Eroare GetDeviceInfo</translation>
    </message>
    <message>
        <source>%1: поле %2 ответа не является числом (&quot;%3&quot;)</source>
        <translation>%1: câmpul %2 al răspunsului nu este un număr (&quot;%3&quot;)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста таймера!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul temporizatorului!</translation>
    </message>
    <message>
        <source>Ошибка теста таймера</source>
        <translation>Eroare la testul temporizatorului</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка CloseServiceReceipt!</source>
        <translation>Dispozitivul nu răspunde! Eroare CloseServiceReceipt!</translation>
    </message>
    <message>
        <source>Ошибка CloseServiceReceipt!</source>
        <translation>Eroare CloseServiceReceipt!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка чтения параметров регистратора!</source>
        <translation>Dispozitivul nu răspunde! Eroare la citirea parametrilor registratorului!</translation>
    </message>
    <message>
        <source>Ошибка чтения параметров регистратора</source>
        <translation>Eroare la citirea parametrilor registratorului</translation>
    </message>
    <message>
        <source>Чтение параментров регистратора - успешно</source>
        <translation>Citirea parametrilor registratorului - cu succes</translation>
    </message>
    <message>
        <source>Смена скорости не выполнена: для %1 нет второй скорости при %2 бод</source>
        <translation>Schimbarea vitezei nu a fost efectuată: pentru %1 nu există a doua viteză la %2 baud</translation>
    </message>
    <message>
        <source>Ошибка установки параметров!</source>
        <translation>Eroare la setarea parametrilor!</translation>
    </message>
    <message>
        <source>Ошибка чтения параметров регистратора!</source>
        <translation>Eroare la citirea parametrilor registratorului!</translation>
    </message>
    <message>
        <source>Служебный чек - изменения скорости работы с РРО</source>
        <translation>Bon de serviciu - schimbarea vitezei de lucru cu registratorul fiscal</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати текста! (скорость)</source>
        <translation>Dispozitivul nu răspunde! Eroare la tipărirea textului! (viteză)</translation>
    </message>
    <message>
        <source>Ошибка печати текста (скорость)</source>
        <translation>Eroare la tipărirea textului (viteză)</translation>
    </message>
    <message>
        <source>Печать текста - успешно (скорость)</source>
        <translation>Tipărirea textului - cu succes (viteză)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка окрытия служебного чека (скорость)!</source>
        <translation>Dispozitivul nu răspunde! Eroare la deschiderea bonului de serviciu (viteză)!</translation>
    </message>
    <message>
        <source>Ошибка окрытия служебного чека (скорость)</source>
        <translation>Eroare la deschiderea bonului de serviciu (viteză)</translation>
    </message>
    <message>
        <source>Чек открыт - успешно (скорость)</source>
        <translation>Bon deschis - cu succes (viteză)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия служебного чека! (скорость)</source>
        <translation>Dispozitivul nu răspunde! Eroare la închiderea bonului de serviciu! (viteză)</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека (скорость)</source>
        <translation>Eroare la închiderea bonului de serviciu (viteză)</translation>
    </message>
    <message>
        <source>Изменение скорости ПК/РРО - успешно</source>
        <translation>Schimbarea vitezei PC/RF - cu succes</translation>
    </message>
    <message>
        <source>Ошибка установки параметров</source>
        <translation>Eroare la setarea parametrilor</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки параметров!</source>
        <translation>Dispozitivul nu răspunde! Eroare la setarea parametrilor!</translation>
    </message>
    <message>
        <source>Установка параментров регистратора - успешно</source>
        <translation>Setarea parametrilor registratorului - cu succes</translation>
    </message>
    <message>
        <source>Невозможно подключить порт на другой скорости</source>
        <translation>Portul nu poate fi conectat la altă viteză</translation>
    </message>
    <message>
        <source>Ошибка изменения скорости порта</source>
        <translation>Eroare la schimbarea vitezei portului</translation>
    </message>
    <message>
        <source>Таймаут устройства!</source>
        <translation>Dispozitivul nu răspunde!</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Eroare!</translation>
    </message>
    <message>
        <source>Конец теста!</source>
        <translation>Sfârșitul testului!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка продажи товара!</source>
        <translation>Dispozitivul nu răspunde! Eroare la vânzarea articolului!</translation>
    </message>
    <message>
        <source>Ошибка продажи товара</source>
        <translation>Eroare la vânzarea articolului</translation>
    </message>
    <message>
        <source>Продажа товара - успешно</source>
        <translation>Vânzarea articolului - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка оплаты чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la achitarea bonului!</translation>
    </message>
    <message>
        <source>Ошибка оплаты чека</source>
        <translation>Eroare la achitarea bonului</translation>
    </message>
    <message>
        <source>Оплата чека - успешно</source>
        <translation>Achitarea bonului - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати итога!</source>
        <translation>Dispozitivul nu răspunde! Eroare la tipărirea totalului!</translation>
    </message>
    <message>
        <source>Ошибка печати итога</source>
        <translation>Eroare la tipărirea totalului</translation>
    </message>
    <message>
        <source>Печать итога - успешно</source>
        <translation>Tipărirea totalului - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la închiderea bonului!</translation>
    </message>
    <message>
        <source>Ошибка закрытия чека</source>
        <translation>Eroare la închiderea bonului</translation>
    </message>
    <message>
        <source>Чек закрыт - успешно</source>
        <translation>Bon închis - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия фискального чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la deschiderea bonului fiscal!</translation>
    </message>
    <message>
        <source>Ошибка открытия фискального чека</source>
        <translation>Eroare la deschiderea bonului fiscal</translation>
    </message>
    <message>
        <source>Фискальный чек открыт - успешно</source>
        <translation>Bon fiscal deschis - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка программирования артикулов!</source>
        <translation>Dispozitivul nu răspunde! Eroare la programarea articolelor!</translation>
    </message>
    <message>
        <source>Ошибка программирования артикулов</source>
        <translation>Eroare la programarea articolelor</translation>
    </message>
    <message>
        <source>Программирование артикулов - успешно</source>
        <translation>Programarea articolelor - cu succes</translation>
    </message>
    <message>
        <source>Программирование артикулов</source>
        <translation>Programarea articolelor</translation>
    </message>
    <message>
        <source>Перезагрузка устройства</source>
        <translation>Repornirea dispozitivului</translation>
    </message>
    <message>
        <source>Ошибка перезагрузки регистратора! Аварийный останов!</source>
        <translation>Eroare la repornirea registratorului! Oprire de urgență!</translation>
    </message>
    <message>
        <source>Ошибка входа в режим аннулирования</source>
        <translation>Eroare la intrarea în modul de anulare</translation>
    </message>
    <message>
        <source>Аннулирование чека - успешно</source>
        <translation>Anularea bonului - cu succes</translation>
    </message>
    <message>
        <source>Ошибка аннулирования чека!</source>
        <translation>Eroare la anularea bonului!</translation>
    </message>
    <message>
        <source>Фискальный чек</source>
        <translation>Bon fiscal</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной скидки!</source>
        <translation>Dispozitivul nu răspunde! Eroare la reducerea procentuală!</translation>
    </message>
    <message>
        <source>Ошибка процентной скидки</source>
        <translation>Eroare la reducerea procentuală</translation>
    </message>
    <message>
        <source>Процентная скидка - успешно</source>
        <translation>Reducere procentuală - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной скидки на товар!</source>
        <translation>Dispozitivul nu răspunde! Eroare la reducerea procentuală la articol!</translation>
    </message>
    <message>
        <source>Ошибка процентной скидки на товар</source>
        <translation>Eroare la reducerea procentuală la articol</translation>
    </message>
    <message>
        <source>Процентная скидка на товар - успешно</source>
        <translation>Reducere procentuală la articol - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной надбавки на товар!</source>
        <translation>Dispozitivul nu răspunde! Eroare la adaosul procentual la articol!</translation>
    </message>
    <message>
        <source>Ошибка процентной надбавки на товар</source>
        <translation>Eroare la adaosul procentual la articol</translation>
    </message>
    <message>
        <source>Процентная надбавка на товар - успешно</source>
        <translation>Adaos procentual la articol - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка количественной скидки на товар!</source>
        <translation>Dispozitivul nu răspunde! Eroare la reducerea valorică la articol!</translation>
    </message>
    <message>
        <source>Ошибка количественной скидки на товар</source>
        <translation>Eroare la reducerea valorică la articol</translation>
    </message>
    <message>
        <source>Количественная скидка на товар - успешно</source>
        <translation>Reducere valorică la articol - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка количественной надбавки на товар!</source>
        <translation>Dispozitivul nu răspunde! Eroare la adaosul valoric la articol!</translation>
    </message>
    <message>
        <source>Ошибка количественной надбавки на товар</source>
        <translation>Eroare la adaosul valoric la articol</translation>
    </message>
    <message>
        <source>Количественная надбавка на товар - успешно</source>
        <translation>Adaos valoric la articol - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка абсолютной надбавки-скидки!</source>
        <translation>Dispozitivul nu răspunde! Eroare la adaosul/reducerea absolută!</translation>
    </message>
    <message>
        <source>Ошибка абсолютной надбавки-скидки</source>
        <translation>Eroare la adaosul/reducerea absolută</translation>
    </message>
    <message>
        <source>Абсолютная надбавка-скидка - успешно</source>
        <translation>Adaos/reducere absolută - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати штрихкода!</source>
        <translation>Dispozitivul nu răspunde! Eroare la tipărirea codului de bare!</translation>
    </message>
    <message>
        <source>Ошибка печати штрихкода</source>
        <translation>Eroare la tipărirea codului de bare</translation>
    </message>
    <message>
        <source>Печать штрихкода - успешно</source>
        <translation>Tipărirea codului de bare - cu succes</translation>
    </message>
    <message>
        <source>Чек возврата</source>
        <translation>Bon de retur</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия чека возврата!</source>
        <translation>Dispozitivul nu răspunde! Eroare la deschiderea bonului de retur!</translation>
    </message>
    <message>
        <source>Ошибка открытия чека возврата</source>
        <translation>Eroare la deschiderea bonului de retur</translation>
    </message>
    <message>
        <source>Чек возврата открыт - успешно</source>
        <translation>Bon de retur deschis - cu succes</translation>
    </message>
    <message>
        <source>Служебный чек - успешно</source>
        <translation>Bon de serviciu - cu succes</translation>
    </message>
    <message>
        <source>Служебный чек</source>
        <translation>Bon de serviciu</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка окрытия служебного чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la deschiderea bonului de serviciu!</translation>
    </message>
    <message>
        <source>Ошибка окрытия служебного чека</source>
        <translation>Eroare la deschiderea bonului de serviciu</translation>
    </message>
    <message>
        <source>Чек открыт - успешно</source>
        <translation>Bon deschis - cu succes</translation>
    </message>
    <message>
        <source>Отчет проданных товаров</source>
        <translation>Raportul articolelor vândute</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка отчета проданных товаров!</source>
        <translation>Dispozitivul nu răspunde! Eroare la raportul articolelor vândute!</translation>
    </message>
    <message>
        <source>Ошибка отчета проданных товаров</source>
        <translation>Eroare la raportul articolelor vândute</translation>
    </message>
    <message>
        <source>Отчет проданных товаров - успешно</source>
        <translation>Raportul articolelor vândute - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста Техническая информация!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul Informații tehnice!</translation>
    </message>
    <message>
        <source>Ошибка теста Техническая информация</source>
        <translation>Eroare la testul Informații tehnice</translation>
    </message>
    <message>
        <source>Тест Техническая информация - успешно</source>
        <translation>Testul Informații tehnice - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста Статус фискального блока!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul Starea blocului fiscal!</translation>
    </message>
    <message>
        <source>Ошибка теста Статус фискального блока</source>
        <translation>Eroare la testul Starea blocului fiscal</translation>
    </message>
    <message>
        <source>Тест Статус фискального блока - успешно</source>
        <translation>Testul Starea blocului fiscal - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка полного теста!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul complet!</translation>
    </message>
    <message>
        <source>Ошибка полного теста</source>
        <translation>Eroare la testul complet</translation>
    </message>
    <message>
        <source>Полный тест - успешно</source>
        <translation>Test complet - cu succes</translation>
    </message>
    <message>
        <source>Тест %1</source>
        <translation>Test %1</translation>
    </message>
    <message>
        <source>Дата тестирования:</source>
        <translation>Data testării:</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки времени!</source>
        <translation>Dispozitivul nu răspunde! Eroare la setarea orei!</translation>
    </message>
    <message>
        <source>Ошибка установки времени</source>
        <translation>Eroare la setarea orei</translation>
    </message>
    <message>
        <source>Установка времени - успешно</source>
        <translation>Setarea orei - cu succes</translation>
    </message>
    <message>
        <source>Установка времени</source>
        <translation>Setarea orei</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка получения даты-времени!</source>
        <translation>Dispozitivul nu răspunde! Eroare la obținerea datei și orei!</translation>
    </message>
    <message>
        <source>Ошибка получения даты-времени</source>
        <translation>Eroare la obținerea datei și orei</translation>
    </message>
    <message>
        <source>Получить дату/время - успешно</source>
        <translation>Obține data/ora - cu succes</translation>
    </message>
    <message>
        <source>Ошибка получения даты/времени</source>
        <translation>Eroare la obținerea datei/orei</translation>
    </message>
    <message>
        <source>Номер прохода теста - %1</source>
        <translation>Numărul trecerii testului - %1</translation>
    </message>
    <message>
        <source>Получить дату/время</source>
        <translation>Obține data/ora</translation>
    </message>
    <message>
        <source>Получить налоговый номер</source>
        <translation>Obține codul fiscal</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка получения налогового номера!</source>
        <translation>Dispozitivul nu răspunde! Eroare la obținerea codului fiscal!</translation>
    </message>
    <message>
        <source>Ошибка получения налогового номера</source>
        <translation>Eroare la obținerea codului fiscal</translation>
    </message>
    <message>
        <source>Получить налоговый номер - успешно</source>
        <translation>Obține codul fiscal - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста индикаторов клиента!</source>
        <translation>Dispozitivul nu răspunde! Eroare la testul afișajului clientului!</translation>
    </message>
    <message>
        <source>Ошибка теста индикаторов клиента</source>
        <translation>Eroare la testul afișajului clientului</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - строка 2</source>
        <translation>Testul afișajului clientului - rândul 2</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - успешно (1)</source>
        <translation>Testul afișajului clientului - cu succes (1)</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - строка 1</source>
        <translation>Testul afișajului clientului - rândul 1</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - успешно (2)</source>
        <translation>Testul afișajului clientului - cu succes (2)</translation>
    </message>
    <message>
        <source>Служебное внесение</source>
        <translation>Depunere de serviciu</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка служебного внесения!</source>
        <translation>Dispozitivul nu răspunde! Eroare la depunerea de serviciu!</translation>
    </message>
    <message>
        <source>Ошибка служебного внесения</source>
        <translation>Eroare la depunerea de serviciu</translation>
    </message>
    <message>
        <source>Тест служебного внесения - успешно</source>
        <translation>Testul depunerii de serviciu - cu succes</translation>
    </message>
    <message>
        <source>Служебная выдача</source>
        <translation>Retragere de serviciu</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка служебной выдачи!</source>
        <translation>Dispozitivul nu răspunde! Eroare la retragerea de serviciu!</translation>
    </message>
    <message>
        <source>Ошибка служебной выдачи</source>
        <translation>Eroare la retragerea de serviciu</translation>
    </message>
    <message>
        <source>Тест служебной выдачи - успешно</source>
        <translation>Testul retragerii de serviciu - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка GetRegistratorParams!</source>
        <translation>Dispozitivul nu răspunde! Eroare GetRegistratorParams!</translation>
    </message>
    <message>
        <source>Ошибка GetRegistratorParams</source>
        <translation>Eroare GetRegistratorParams</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка SetRegistratorParams!</source>
        <translation>Dispozitivul nu răspunde! Eroare SetRegistratorParams!</translation>
    </message>
    <message>
        <source>Ошибка SetRegistratorParams</source>
        <translation>Eroare SetRegistratorParams</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка работы  с  ТО!</source>
        <translation>Dispozitivul nu răspunde! Eroare de lucru  cu  parametrii de întreținere!</translation>
    </message>
    <message>
        <source>Ошибка ТО</source>
        <translation>Eroare la parametrii de întreținere</translation>
    </message>
    <message>
        <source> Ошибка Z-отчета</source>
        <translation> Eroare la raportul Z</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки заголовка чека!</source>
        <translation>Dispozitivul nu răspunde! Eroare la setarea antetului bonului!</translation>
    </message>
    <message>
        <source>Ошибка установки заголовка чека</source>
        <translation>Eroare la setarea antetului bonului</translation>
    </message>
    <message>
        <source>Заголовок чека %1 - успешно</source>
        <translation>Antetul bonului %1 - cu succes</translation>
    </message>
    <message>
        <source>Ошибка установки заголовка чека!</source>
        <translation>Eroare la setarea antetului bonului!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки типа оплаты!</source>
        <translation>Dispozitivul nu răspunde! Eroare la setarea tipului de plată!</translation>
    </message>
    <message>
        <source>Ошибка установки типа оплаты</source>
        <translation>Eroare la setarea tipului de plată</translation>
    </message>
    <message>
        <source>Установки типа оплаты %1 - успешно</source>
        <translation>Setarea tipului de plată %1 - cu succes</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки параметров оператора!</source>
        <translation>Dispozitivul nu răspunde! Eroare la setarea parametrilor operatorului!</translation>
    </message>
    <message>
        <source>Ошибка установки параметров оператора</source>
        <translation>Eroare la setarea parametrilor operatorului</translation>
    </message>
    <message>
        <source>Установка параметров оператора - успешно</source>
        <translation>Setarea parametrilor operatorului - cu succes</translation>
    </message>
    <message>
        <source>Неверное количество циклов теста</source>
        <translation>Număr greșit de treceri ale testului</translation>
    </message>
    <message>
        <source>Неверная величина задержки 
   между командами</source>
        <translation>Valoare greșită a pauzei 
   dintre comenzi</translation>
    </message>
    <message>
        <source>Тест остановлен </source>
        <translation>Testul a fost oprit </translation>
    </message>
    <message>
        <source>Конец теста %1</source>
        <translation>Sfârșitul testului %1</translation>
    </message>
    <message>
        <source>Общее количество ошибок: %1</source>
        <translation>Numărul total de erori: %1</translation>
    </message>
    <message>
        <source>Язык окон</source>
        <translation>Limba ferestrelor</translation>
    </message>
    <message>
        <source>Окна останутся на этом языке.</source>
        <translation>Ferestrele rămân în această limbă.</translation>
    </message>
    <message>
        <source>Язык окон сменится при следующем запуске программы.</source>
        <translation>Limba ferestrelor se schimbă la următoarea pornire a programului.</translation>
    </message>
    <message>
        <source>Показывать окна программы на украинском языке?</source>
        <translation>Afișați ferestrele programului în limba ucraineană?</translation>
    </message>
    <message>
        <source>Показывать окна программы на румынском языке?</source>
        <translation>Afișați ferestrele programului în limba română?</translation>
    </message>
    <message>
        <source>Veltor FP-T320 Retail Украина</source>
        <translation>Veltor FP-T320 Retail Ucraina</translation>
    </message>
    <message>
        <source>Veltor FP-510T Украина</source>
        <translation>Veltor FP-510T Ucraina</translation>
    </message>
    <message>
        <source>Veltor KM-15 Украина</source>
        <translation>Veltor KM-15 Ucraina</translation>
    </message>
    <message>
        <source>Veltor FP-T320 Молдова</source>
        <translation>Veltor FP-T320 Moldova</translation>
    </message>
    <message>
        <source>Veltor FP-510T Молдова</source>
        <translation>Veltor FP-510T Moldova</translation>
    </message>
    <message>
        <source>, язык журнала: %1</source>
        <translation>, limba jurnalului: %1</translation>
    </message>
    <message>
        <source>русский</source>
        <translation>rusă</translation>
    </message>
    <message>
        <source>украинский</source>
        <translation>ucraineană</translation>
    </message>
    <message>
        <source>румынский</source>
        <translation>română</translation>
    </message>
    <message>
        <source>сервер не подтвердил себя сертификатом, которому доверяет эта станция</source>
        <translation>serverul nu s-a legitimat cu un certificat în care această stație are încredere</translation>
    </message>
    <message>
        <source>сервер просит пароль пользователя «%1», а в файле паролей libpq и в файле служб его нет</source>
        <translation>serverul cere parola utilizatorului «%1», dar ea nu este în fișierul de parole libpq și nici în fișierul de servicii</translation>
    </message>
    <message>
        <source>сервер не принял пароль пользователя «%1»</source>
        <translation>serverul nu a acceptat parola utilizatorului «%1»</translation>
    </message>
    <message>
        <source>Нет связи с базой линии %1: %2.</source>
        <translation>Nu există legătură cu baza de date a liniei %1: %2.</translation>
    </message>
    <message>
        <source>Нет связи с базой линии %1: %2 (%3).</source>
        <translation>Nu există legătură cu baza de date a liniei %1: %2 (%3).</translation>
    </message>
    <message>
        <source>Подключение к базе линии не задано.</source>
        <translation>Conexiunea la baza de date a liniei nu este setată.</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии не читается: в ней есть нулевой символ.</source>
        <translation>Șirul de conexiune la baza de date a liniei nu poate fi citit: conține un caracter nul.</translation>
    </message>
    <message>
        <source>не хватило памяти</source>
        <translation>memorie insuficientă</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии не читается: %1.</source>
        <translation>Șirul de conexiune la baza de date a liniei nu poate fi citit: %1.</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии содержит пароль, а пароль берётся из файла паролей libpq или из файла служб, а не из настроек Tallowick.</source>
        <translation>Șirul de conexiune la baza de date a liniei conține o parolă, dar parola se ia din fișierul de parole libpq sau din fișierul de servicii, nu din setările Tallowick.</translation>
    </message>
    <message>
        <source>Нет связи с базой линии: не хватило памяти.</source>
        <translation>Nu există legătură cu baza de date a liniei: memorie insuficientă.</translation>
    </message>
    <message>
        <source>Связь с базой линии %1 потеряна: %2.</source>
        <translation>Legătura cu baza de date a liniei %1 s-a pierdut: %2.</translation>
    </message>
    <message>
        <source>Сервер базы линии %1 не дал пользователю «%2» права на это: %3.</source>
        <translation>Serverul bazei de date a liniei %1 nu i-a dat utilizatorului «%2» dreptul la aceasta: %3.</translation>
    </message>
    <message>
        <source>База линии %1 занята и не выполнила запрос: %2.</source>
        <translation>Baza de date a liniei %1 este ocupată și nu a executat cererea: %2.</translation>
    </message>
    <message>
        <source>База линии %1 не выполнила запрос: %2.</source>
        <translation>Baza de date a liniei %1 nu a executat cererea: %2.</translation>
    </message>
    <message>
        <source>Пользователь «%1» не допущен к базе линии %2: администратор даёт ему роль tallowick_station.</source>
        <translation>Utilizatorul «%1» nu are acces la baza de date a liniei %2: administratorul îi dă rolul tallowick_station.</translation>
    </message>
    <message>
        <source>В базе линии %1 нет схемы Tallowick: её создаёт владелец базы командой «tallowick-cli db init».</source>
        <translation>În baza de date a liniei %1 nu există schema Tallowick: o creează proprietarul bazei cu comanda «tallowick-cli db init».</translation>
    </message>
    <message>
        <source>Схема базы линии %1 версии %2 новее этой программы (она знает версию %3): обновите Tallowick.</source>
        <translation>Schema bazei de date a liniei %1, versiunea %2, este mai nouă decât acest program (el cunoaște versiunea %3): actualizați Tallowick.</translation>
    </message>
    <message>
        <source>Схема базы линии %1 версии %2 старше этой программы: владелец базы обновляет её командой «tallowick-cli db init».</source>
        <translation>Schema bazei de date a liniei %1, versiunea %2, este mai veche decât acest program: proprietarul bazei o actualizează cu comanda «tallowick-cli db init».</translation>
    </message>
    <message>
        <source>История базы линии %1 не читается: %2.</source>
        <translation>Istoricul bazei de date a liniei %1 nu poate fi citit: %2.</translation>
    </message>
    <message>
        <source>Запись не передана в базу линии: у неё нет опознавательного номера (uid «%1»).</source>
        <translation>Înregistrarea nu a fost transmisă în baza de date a liniei: nu are identificator (uid «%1»).</translation>
    </message>
    <message>
        <source>Запись %1 не передана в базу линии: %2 содержит текст не в кодировке UTF-8 или нулевой символ.</source>
        <translation>Înregistrarea %1 nu a fost transmisă în baza de date a liniei: %2 conține text care nu este în codificarea UTF-8 sau un caracter nul.</translation>
    </message>
    <message>
        <source>Подключение к базе линии не принято: %1</source>
        <translation>Conexiunea la baza de date a liniei nu a fost acceptată: %1</translation>
    </message>
    <message>
        <source>Размер запаса номеров станции в настройках должен быть числом от 0 до %1, а не «%2».</source>
        <translation>Mărimea rezervei de numere a stației din setări trebuie să fie un număr de la 0 la %1, nu «%2».</translation>
    </message>
    <message>
        <source>Линия %1: доступна, соединение зашифровано</source>
        <translation>Linia %1: disponibilă, conexiune criptată</translation>
    </message>
    <message>
        <source>Линия %1: доступна, без шифрования</source>
        <translation>Linia %1: disponibilă, fără criptare</translation>
    </message>
    <message>
        <source>Линия: соединение устанавливается</source>
        <translation>Linia: se stabilește conexiunea</translation>
    </message>
    <message>
        <source>Линия недоступна</source>
        <translation>Linia nu este disponibilă</translation>
    </message>
    <message>
        <source>Линия %1: недоступна</source>
        <translation>Linia %1: indisponibilă</translation>
    </message>
    <message>
        <source>; ожидают отправки: %1</source>
        <translation>; așteaptă trimiterea: %1</translation>
    </message>
    <message>
        <source>; номеров в конфликте: %1</source>
        <translation>; numere în conflict: %1</translation>
    </message>
    <message>
        <source>свободен</source>
        <translation>liber</translation>
    </message>
    <message>
        <source>в резерве станции %1</source>
        <translation>în rezerva stației %1</translation>
    </message>
    <message>
        <source>взят станцией %1</source>
        <translation>luat de stația %1</translation>
    </message>
    <message>
        <source>уже записан в регистратор станцией %1</source>
        <translation>deja scris în registrator de stația %1</translation>
    </message>
    <message>
        <source>не найден в книге линии</source>
        <translation>negăsit în cartea liniei</translation>
    </message>
    <message>
        <source>Номера %1 нет в книге линии.</source>
        <translation>Numărul %1 nu este în cartea liniei.</translation>
    </message>
    <message>
        <source>Номер %1 не выдан станции %2: он %3.</source>
        <translation>Numărul %1 nu a fost dat stației %2: el este %3.</translation>
    </message>
    <message>
        <source>Нет свободных номеров %1… в книге линии.</source>
        <translation>Nu există numere libere %1… în cartea liniei.</translation>
    </message>
    <message>
        <source>Номер %1 не отмечен как записанный: станция %2 его не брала, он %3.</source>
        <translation>Numărul %1 nu a fost marcat ca scris: stația %2 nu l-a luat, el este %3.</translation>
    </message>
    <message>
        <source>Ответ о номере %1 не сохранён: станция %2 его не брала, он %3.</source>
        <translation>Răspunsul despre numărul %1 nu a fost salvat: stația %2 nu l-a luat, el este %3.</translation>
    </message>
    <message>
        <source>Номер %1, записанный станцией %2 без связи с сервером, на линии %3.</source>
        <translation>Numărul %1, scris de stația %2 fără legătură cu serverul, este pe linie %3.</translation>
    </message>
    <message>
        <source>Номер %1 из списка «К инициализации» на линии %2; он оставлен как есть.</source>
        <translation>Numărul %1 din lista «De inițializat» este pe linie %2; a fost lăsat așa cum este.</translation>
    </message>
    <message>
        <source>Номер %1 из списка «Инициализация уже выполнена» на линии %2; он оставлен как есть.</source>
        <translation>Numărul %1 din lista «Deja inițializate» este pe linie %2; a fost lăsat așa cum este.</translation>
    </message>
    <message>
        <source>Номер %1 не освобождён: он и так свободен.</source>
        <translation>Numărul %1 nu a fost eliberat: este deja liber.</translation>
    </message>
    <message>
        <source>Номер %1 не освобождён: нужно указать причину.</source>
        <translation>Numărul %1 nu a fost eliberat: trebuie indicat motivul.</translation>
    </message>
    <message>
        <source>Резерв станции — от 0 до 1000 номеров, а не %1.</source>
        <translation>Rezerva stației este de la 0 la 1000 de numere, nu %1.</translation>
    </message>
    <message>
        <source>Тип регистратора %1 не известен книге: её номера начинаются с %2.</source>
        <translation>Tipul de registrator %1 nu este cunoscut cărții: numerele ei încep cu %2.</translation>
    </message>
    <message>
        <source>Номер не выдан: база линии недоступна, а в запасе станции нет номеров %1….</source>
        <translation>Numărul nu a fost dat: baza de date a liniei nu este disponibilă, iar în rezerva stației nu există numere %1….</translation>
    </message>
    <message>
        <source>Номер не выдан: база линии недоступна, а в запасе станции нет номеров %1… (%2)</source>
        <translation>Numărul nu a fost dat: baza de date a liniei nu este disponibilă, iar în rezerva stației nu există numere %1… (%2)</translation>
    </message>
    <message>
        <source>Номер %1 не выдан: база линии недоступна, а его нет в запасе станции (номеров %2… в запасе: %3)</source>
        <translation>Numărul %1 nu a fost dat: baza de date a liniei nu este disponibilă, iar el nu este în rezerva stației (numere %2… în rezervă: %3)</translation>
    </message>
    <message>
        <source>База линии недоступна: номер %1 выдан из запаса станции; номеров %2… в запасе осталось: %3.</source>
        <translation>Baza de date a liniei nu este disponibilă: numărul %1 a fost dat din rezerva stației; numere %2… rămase în rezervă: %3.</translation>
    </message>
    <message>
        <source>Запись %1 истории станции не отправлена на линию: %2</source>
        <translation>Înregistrarea %1 din istoricul stației nu a fost trimisă pe linie: %2</translation>
    </message>
    <message>
        <source>Имя станции не задано.</source>
        <translation>Numele stației nu este setat.</translation>
    </message>
    <message>
        <source>Имя станции не годится: нужно до 63 знаков, без управляющих символов, в UTF-8.</source>
        <translation>Numele stației nu este potrivit: sunt necesare cel mult 63 de caractere, fără caractere de control, în UTF-8.</translation>
    </message>
    <message>
        <source>на диске нет места</source>
        <translation>pe disc nu mai este loc</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>eroare de intrare-ieșire</translation>
    </message>
    <message>
        <source>файловая система доступна только для чтения</source>
        <translation>sistemul de fișiere este doar pentru citire</translation>
    </message>
    <message>
        <source>нет прав на запись</source>
        <translation>nu există drept de scriere</translation>
    </message>
    <message>
        <source>файл слишком велик</source>
        <translation>fișierul este prea mare</translation>
    </message>
    <message>
        <source>слишком много символических ссылок</source>
        <translation>prea multe legături simbolice</translation>
    </message>
    <message>
        <source>папка %1 не существует</source>
        <translation>dosarul %1 nu există</translation>
    </message>
    <message>
        <source>нет прав на запись в папку %1</source>
        <translation>nu există drept de scriere în dosarul %1</translation>
    </message>
    <message>
        <source>Невозможно записать файл %1: %2</source>
        <translation>Fișierul %1 nu poate fi scris: %2</translation>
    </message>
    <message>
        <source>не указано имя файла</source>
        <translation>nu este indicat numele fișierului</translation>
    </message>
    <message>
        <source>это не обычный файл (папка, канал или устройство), он не будет заменён</source>
        <translation>nu este un fișier obișnuit (dosar, canal sau dispozitiv), nu va fi înlocuit</translation>
    </message>
    <message>
        <source>это не обычный файл (устройство)</source>
        <translation>nu este un fișier obișnuit (dispozitiv)</translation>
    </message>
    <message>
        <source>Копировать</source>
        <translation>Copiază</translation>
    </message>
    <message>
        <source>Сохранить...</source>
        <translation>Salvează...</translation>
    </message>
    <message>
        <source>Будет выгружено записей: %1.</source>
        <translation>Înregistrări de exportat: %1.</translation>
    </message>
    <message>
        <source>Выгрузка отменена.</source>
        <translation>Exportul a fost anulat.</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Проверено регистраторов: %1; прогонов: %2, из них без заводского номера: %3</source>
        <translation>Registratoare verificate: %1; rulări: %2, dintre care fără număr de fabricație: %3</translation>
    </message>
    <message>
        <source>Выход с первого раза: %1 (%2 из %3)</source>
        <translation>Randament la prima încercare: %1 (%2 din %3)</translation>
    </message>
    <message>
        <source>Итоговый выход: %1 (%2 из %3)</source>
        <translation>Randament final: %1 (%2 din %3)</translation>
    </message>
    <message>
        <source>Прогонов с ошибками: %1; длительность прогона: медиана %2, 90-й процентиль %3</source>
        <translation>Rulări cu erori: %1; durata rulării: mediana %2, percentila 90 %3</translation>
    </message>
    <message>
        <source>Инициализаций: %1 (выполнено %2, не выполнено %3)</source>
        <translation>Inițializări: %1 (efectuate %2, neefectuate %3)</translation>
    </message>
    <message>
        <source>Отказы по шагам</source>
        <translation>Eșecuri pe pași</translation>
    </message>
    <message>
        <source>Отказов нет.</source>
        <translation>Nu există eșecuri.</translation>
    </message>
    <message>
        <source>(вне шагов)</source>
        <translation>(în afara pașilor)</translation>
    </message>
    <message>
        <source>Выход по дням</source>
        <translation>Randament pe zile</translation>
    </message>
    <message>
        <source>Нет проверенных регистраторов.</source>
        <translation>Nu există registratoare verificate.</translation>
    </message>
    <message>
        <source>итоговый</source>
        <translation>final</translation>
    </message>
    <message>
        <source>с первого раза</source>
        <translation>la prima încercare</translation>
    </message>
    <message>
        <source>Показатели</source>
        <translation>Indicatori</translation>
    </message>
    <message>
        <source>Сохранить PNG...</source>
        <translation>Salvează PNG...</translation>
    </message>
    <message>
        <source>Рисунки PNG (*.png)|*.png</source>
        <translation>Imagini PNG (*.png)|*.png</translation>
    </message>
    <message>
        <source>Документы PDF (*.pdf)|*.pdf</source>
        <translation>Documente PDF (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Отчет...</source>
        <translation>Raport...</translation>
    </message>
    <message>
        <source>Отчет об испытаниях выбранной записи в PDF</source>
        <translation>Raportul de testare al înregistrării alese, în PDF</translation>
    </message>
    <message>
        <source>это не шрифт TrueType</source>
        <translation>nu este un font TrueType</translation>
    </message>
    <message>
        <source>файл шрифта повреждён</source>
        <translation>fișierul fontului este deteriorat</translation>
    </message>
    <message>
        <source>в шрифте нет таблицы %1</source>
        <translation>fontul nu are tabelul %1</translation>
    </message>
    <message>
        <source>в шрифте нет таблицы символов Юникода</source>
        <translation>fontul nu are tabelul de caractere Unicode</translation>
    </message>
    <message>
        <source>Не найден шрифт отчета %1 (искали в папках: %2).</source>
        <translation>Fontul raportului %1 nu a fost găsit (căutat în dosarele: %2).</translation>
    </message>
    <message>
        <source>Шрифт отчета %1 не читается: %2.</source>
        <translation>Fontul raportului %1 nu poate fi citit: %2.</translation>
    </message>
    <message>
        <source>Записей заводского номера %1 в истории: %2. Включить в отчет все?</source>
        <translation>Înregistrări ale numărului de fabricație %1 în istoric: %2. Le includeți pe toate în raport?</translation>
    </message>
    <message>
        <source>Отчет сохранен в файл %1 (записей: %2)</source>
        <translation>Raportul a fost salvat în fișierul %1 (înregistrări: %2)</translation>
    </message>
</context>
</TS>
