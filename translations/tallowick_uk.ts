<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="uk" sourcelanguage="ru">
<context>
    <name>Text</name>
    <message>
        <source>Да</source>
        <translation>Так</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>Ні</translation>
    </message>
    <message>
        <source>Отключить</source>
        <translation>Відключити</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Підключити</translation>
    </message>
    <message>
        <source>Несколько РРО</source>
        <translation>Кілька РРО</translation>
    </message>
    <message>
        <source>Тест нескольких регистраторов сразу</source>
        <translation>Тест кількох реєстраторів одночасно</translation>
    </message>
    <message>
        <source>Инициализация регистратора</source>
        <translation>Ініціалізація реєстратора</translation>
    </message>
    <message>
        <source>Тест РРО</source>
        <translation>Тест РРО</translation>
    </message>
    <message>
        <source>Вспомогательные функции</source>
        <translation>Допоміжні функції</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Закрити</translation>
    </message>
    <message>
        <source>История</source>
        <translation>Історія</translation>
    </message>
    <message>
        <source>История тестов и инициализаций</source>
        <translation>Історія тестів та ініціалізацій</translation>
    </message>
    <message>
        <source>ВНИМАНИЕ!
Перед началом инициализации укажите дату, время и заводской номер регистратора</source>
        <translation>УВАГА!
Перед початком ініціалізації вкажіть дату, час і заводський номер реєстратора</translation>
    </message>
    <message>
        <source>Дата (DDMMYY): </source>
        <translation>Дата (DDMMYY): </translation>
    </message>
    <message>
        <source>Время (HHMM):</source>
        <translation>Час (HHMM):</translation>
    </message>
    <message>
        <source>Обновить дату/время</source>
        <translation>Оновити дату/час</translation>
    </message>
    <message>
        <source>Заводской номер:</source>
        <translation>Заводський номер:</translation>
    </message>
    <message>
        <source>Начать инициализацию</source>
        <translation>Почати ініціалізацію</translation>
    </message>
    <message>
        <source>Стереть фискальную память</source>
        <translation>Стерти фіскальну пам&apos;ять</translation>
    </message>
    <message>
        <source>Перезагрузить устройство</source>
        <translation>Перезавантажити пристрій</translation>
    </message>
    <message>
        <source>Задержка (мс) между подтестами</source>
        <translation>Затримка (мс) між підтестами</translation>
    </message>
    <message>
        <source>циклов</source>
        <translation>проходів</translation>
    </message>
    <message>
        <source>Без фискальных чеков и Z-отчета</source>
        <translation>Без фіскальних чеків і Z-звіту</translation>
    </message>
    <message>
        <source>Старт</source>
        <translation>Старт</translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Очистити</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Зберегти</translation>
    </message>
    <message>
        <source>Z-отчет</source>
        <translation>Z-звіт</translation>
    </message>
    <message>
        <source>X-отчет</source>
        <translation>X-звіт</translation>
    </message>
    <message>
        <source>Аннулировать чек</source>
        <translation>Анулювати чек</translation>
    </message>
    <message>
        <source>Открыть денежный ящик</source>
        <translation>Відкрити грошову скриньку</translation>
    </message>
    <message>
        <source>Установить налоги</source>
        <translation>Встановити податки</translation>
    </message>
    <message>
        <source>Выполнить внутренний тест</source>
        <translation>Виконати внутрішній тест</translation>
    </message>
    <message>
        <source>0. Техническая информация</source>
        <translation>0. Технічна інформація</translation>
    </message>
    <message>
        <source>1. Статус фискального блока</source>
        <translation>1. Статус фіскального блока</translation>
    </message>
    <message>
        <source>2. Полный тест</source>
        <translation>2. Повний тест</translation>
    </message>
    <message>
        <source>Порт %1 занят окном «%2».</source>
        <translation>Порт %1 зайнятий вікном «%2».</translation>
    </message>
    <message>
        <source>Сохранен: %1</source>
        <translation>Збережено: %1</translation>
    </message>
    <message>
        <source>Все файлы (*.*)|*.*</source>
        <translation>Усі файли (*.*)|*.*</translation>
    </message>
    <message>
        <source>Тест для Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012</source>
        <translation>Тест для Veltor FP-510T/FP-T320/FP-820T/FP-90T/KM-15 ver. 2.60 23.02.2012</translation>
    </message>
    <message>
        <source>Идет тест регистратора. Остановить тест и закрыть программу? Несохраненный журнал теста будет потерян.</source>
        <translation>Триває тест реєстратора. Зупинити тест і закрити програму? Незбережений журнал тесту буде втрачено.</translation>
    </message>
    <message>
        <source>Линия...</source>
        <translation>Лінія...</translation>
    </message>
    <message>
        <source>База линии: подключение, имя станции и запас номеров этого компьютера</source>
        <translation>База лінії: підключення, ім&apos;я станції та запас номерів цього комп&apos;ютера</translation>
    </message>
    <message>
        <source>. Номера — из запаса станции.</source>
        <translation>. Номери — із запасу станції.</translation>
    </message>
    <message>
        <source>На линии книгой номеров управляет администратор линии: tallowick-cli book и db.</source>
        <translation>На лінії книгою номерів керує адміністратор лінії: tallowick-cli book і db.</translation>
    </message>
    <message>
        <source>Завершен</source>
        <translation>Завершено</translation>
    </message>
    <message>
        <source>Завершен с ошибками</source>
        <translation>Завершено з помилками</translation>
    </message>
    <message>
        <source>Прерван</source>
        <translation>Перервано</translation>
    </message>
    <message>
        <source>Остановлен</source>
        <translation>Зупинено</translation>
    </message>
    <message>
        <source>Ввод отклонен</source>
        <translation>Введення відхилено</translation>
    </message>
    <message>
        <source>Инициализация</source>
        <translation>Ініціалізація</translation>
    </message>
    <message>
        <source>* — еще не на линии: ждет отправки со станции.</source>
        <translation>* — ще не на лінії: чекає на відправлення зі станції.</translation>
    </message>
    <message>
        <source>Дата с</source>
        <translation>Дата з</translation>
    </message>
    <message>
        <source>по</source>
        <translation>по</translation>
    </message>
    <message>
        <source>ДД.ММ.ГГГГ</source>
        <translation>ДД.ММ.РРРР</translation>
    </message>
    <message>
        <source>Модель</source>
        <translation>Модель</translation>
    </message>
    <message>
        <source>Заводской номер</source>
        <translation>Заводський номер</translation>
    </message>
    <message>
        <source>Результат</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Все</source>
        <translation>Усі</translation>
    </message>
    <message>
        <source>Показать</source>
        <translation>Показати</translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Початок</translation>
    </message>
    <message>
        <source>Вид</source>
        <translation>Вид</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Ошибок</source>
        <translation>Помилок</translation>
    </message>
    <message>
        <source>Длительность</source>
        <translation>Тривалість</translation>
    </message>
    <message>
        <source>Пользователь</source>
        <translation>Користувач</translation>
    </message>
    <message>
        <source>Станция</source>
        <translation>Станція</translation>
    </message>
    <message>
        <source>Журнал</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>Экспорт...</source>
        <translation>Експорт...</translation>
    </message>
    <message>
        <source>Неверная дата &quot;%1&quot;! Укажите существующую дату в виде ДД.ММ.ГГГГ, например 07.12.2026.</source>
        <translation>Неправильна дата &quot;%1&quot;! Вкажіть наявну дату у вигляді ДД.ММ.РРРР, наприклад 07.12.2026.</translation>
    </message>
    <message>
        <source>Начальная дата позже конечной!</source>
        <translation>Початкова дата пізніша за кінцеву!</translation>
    </message>
    <message>
        <source>Записей нет.</source>
        <translation>Записів немає.</translation>
    </message>
    <message>
        <source>Показаны последние %1 записей; более ранние найдет фильтр.</source>
        <translation>Показано останні %1 записів; раніші знайде фільтр.</translation>
    </message>
    <message>
        <source>Записей: %1.</source>
        <translation>Записів: %1.</translation>
    </message>
    <message>
        <source>Выберите запись в списке.</source>
        <translation>Виберіть запис у списку.</translation>
    </message>
    <message>
        <source>Запись не найдена в истории.</source>
        <translation>Запис не знайдено в історії.</translation>
    </message>
    <message>
        <source>Журнал: </source>
        <translation>Журнал: </translation>
    </message>
    <message>
        <source>, порт </source>
        <translation>, порт </translation>
    </message>
    <message>
        <source>, заводской номер </source>
        <translation>, заводський номер </translation>
    </message>
    <message>
        <source>, ошибок: </source>
        <translation>, помилок: </translation>
    </message>
    <message>
        <source>, длительность </source>
        <translation>, тривалість </translation>
    </message>
    <message>
        <source>Нет записей для экспорта.</source>
        <translation>Немає записів для експорту.</translation>
    </message>
    <message>
        <source>Записей выгружено: %1, в файл %2</source>
        <translation>Записів вивантажено: %1, у файл %2</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)|*.csv</source>
        <translation>Файли CSV (*.csv)|*.csv</translation>
    </message>
    <message>
        <source>Файлы JSON (*.json)|*.json</source>
        <translation>Файли JSON (*.json)|*.json</translation>
    </message>
    <message>
        <source>Отчеты JUnit XML (*.xml)|*.xml</source>
        <translation>Звіти JUnit XML (*.xml)|*.xml</translation>
    </message>
    <message>
        <source>Подключение к базе линии (без пароля):</source>
        <translation>Підключення до бази лінії (без пароля):</translation>
    </message>
    <message>
        <source>Имя станции на линии:</source>
        <translation>Ім&apos;я станції на лінії:</translation>
    </message>
    <message>
        <source>Запас номеров станции:</source>
        <translation>Запас номерів станції:</translation>
    </message>
    <message>
        <source>Пустое подключение: станция работает одна, со своей книгой номеров. Пароль берется из файла паролей или служб libpq, а не отсюда. Изменения вступят в силу при следующем запуске программы.</source>
        <translation>Порожнє підключення: станція працює сама, зі своєю книгою номерів. Пароль береться з файлу паролів або служб libpq, а не звідси. Зміни набудуть чинності під час наступного запуску програми.</translation>
    </message>
    <message>
        <source>База линии</source>
        <translation>База лінії</translation>
    </message>
    <message>
        <source>Сохранено. Настройки линии вступят в силу при следующем запуске программы.</source>
        <translation>Збережено. Налаштування лінії набудуть чинності під час наступного запуску програми.</translation>
    </message>
    <message>
        <source>Сообщение: </source>
        <translation>Повідомлення: </translation>
    </message>
    <message>
        <source>Не номер книги: нужен префикс типа и пять цифр, например ЕД80012345</source>
        <translation>Не номер книги: потрібен префікс типу і п&apos;ять цифр, наприклад ЕД80012345</translation>
    </message>
    <message>
        <source>Нет в списке «Инициализация уже выполнена»</source>
        <translation>Немає в списку «Ініціалізацію вже виконано»</translation>
    </message>
    <message>
        <source>идёт</source>
        <translation>триває</translation>
    </message>
    <message>
        <source>завершён</source>
        <translation>завершено</translation>
    </message>
    <message>
        <source>завершён с ошибками</source>
        <translation>завершено з помилками</translation>
    </message>
    <message>
        <source>прерван</source>
        <translation>перервано</translation>
    </message>
    <message>
        <source>прерван: %1</source>
        <translation>перервано: %1</translation>
    </message>
    <message>
        <source>остановлен</source>
        <translation>зупинено</translation>
    </message>
    <message>
        <source>Порты:</source>
        <translation>Порти:</translation>
    </message>
    <message>
        <source>Добавить</source>
        <translation>Додати</translation>
    </message>
    <message>
        <source>Скорость:</source>
        <translation>Швидкість:</translation>
    </message>
    <message>
        <source>Папка журналов…</source>
        <translation>Папка журналів…</translation>
    </message>
    <message>
        <source>Папка журналов не выбрана.</source>
        <translation>Папку журналів не вибрано.</translation>
    </message>
    <message>
        <source>Журналы: %1</source>
        <translation>Журнали: %1</translation>
    </message>
    <message>
        <source>Прошивка</source>
        <translation>Прошивка</translation>
    </message>
    <message>
        <source>Шаг</source>
        <translation>Крок</translation>
    </message>
    <message>
        <source>Ход</source>
        <translation>Хід</translation>
    </message>
    <message>
        <source>Ошибки</source>
        <translation>Помилки</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>Стан</translation>
    </message>
    <message>
        <source>Книга не прочитана, номера не сверены: %1</source>
        <translation>Книгу не прочитано, номери не звірено: %1</translation>
    </message>
    <message>
        <source>Папка для журналов тестов</source>
        <translation>Папка для журналів тестів</translation>
    </message>
    <message>
        <source>Папка не запомнена для следующих запусков: %1</source>
        <translation>Папку не запам&apos;ятано для наступних запусків: %1</translation>
    </message>
    <message>
        <source>Отметьте порты, на которых проверить регистраторы.</source>
        <translation>Позначте порти, на яких перевірити реєстратори.</translation>
    </message>
    <message>
        <source>Тесты не начаты: не выбрана папка для журналов.</source>
        <translation>Тести не почато: не вибрано папку для журналів.</translation>
    </message>
    <message>
        <source>Порт %1 занят главным окном</source>
        <translation>Порт %1 зайнятий головним вікном</translation>
    </message>
    <message>
        <source>Идут тесты: %1.</source>
        <translation>Тривають тести: %1.</translation>
    </message>
    <message>
        <source>Тесты закончены: завершены %1, с ошибками %2, прерваны %3, остановлены %4.</source>
        <translation>Тести закінчено: завершено %1, з помилками %2, перервано %3, зупинено %4.</translation>
    </message>
    <message>
        <source>Несколько регистраторов</source>
        <translation>Кілька реєстраторів</translation>
    </message>
    <message>
        <source>Идут тесты регистраторов. Остановить все тесты и закрыть окно?</source>
        <translation>Тривають тести реєстраторів. Зупинити всі тести й закрити вікно?</translation>
    </message>
    <message>
        <source>9600 бод</source>
        <translation>9600 бод</translation>
    </message>
    <message>
        <source>19200 бод</source>
        <translation>19200 бод</translation>
    </message>
    <message>
        <source>57600 бод</source>
        <translation>57600 бод</translation>
    </message>
    <message>
        <source>115200 бод</source>
        <translation>115200 бод</translation>
    </message>
    <message>
        <source>&quot;Count&quot; не REG_DWORD</source>
        <translation>&quot;Count&quot; не REG_DWORD</translation>
    </message>
    <message>
        <source>Нет ключа.</source>
        <translation>Немає ключа.</translation>
    </message>
    <message>
        <source>Изменение при чтении.</source>
        <translation>Зміна під час читання.</translation>
    </message>
    <message>
        <source>Запись прервана (сбой для проверки).</source>
        <translation>Запис перервано (збій для перевірки).</translation>
    </message>
    <message>
        <source>Заводской номер содержит символы, которые нельзя сохранить; списки не изменены.</source>
        <translation>Заводський номер містить символи, які не можна зберегти; списки не змінено.</translation>
    </message>
    <message>
        <source>Путь к программе нельзя сохранить в реестре.</source>
        <translation>Шлях до програми не можна зберегти в реєстрі.</translation>
    </message>
    <message>
        <source>Ошибка при работе с реестром Windows</source>
        <translation>Помилка під час роботи з реєстром Windows</translation>
    </message>
    <message>
        <source>Нет права на запись в реестр Windows (запустите программу от имени администратора)</source>
        <translation>Немає права на запис у реєстр Windows (запустіть програму від імені адміністратора)</translation>
    </message>
    <message>
        <source>Реестр Windows занят другой программой</source>
        <translation>Реєстр Windows зайнятий іншою програмою</translation>
    </message>
    <message>
        <source>Реестр Windows повреждён</source>
        <translation>Реєстр Windows пошкоджено</translation>
    </message>
    <message>
        <source>Тест фискальных регистраторов</source>
        <translation>Тест фіскальних реєстраторів</translation>
    </message>
    <message>
        <source>Подготовка нового интервала номеров:</source>
        <translation>Підготовка нового інтервалу номерів:</translation>
    </message>
    <message>
        <source>Тип инициализируемого регистратора:</source>
        <translation>Тип реєстратора для ініціалізації:</translation>
    </message>
    <message>
        <source>Нижняя граница интервала (пять младших цифр номера):</source>
        <translation>Нижня межа інтервалу (п&apos;ять молодших цифр номера):</translation>
    </message>
    <message>
        <source>Верхняя граница интервала (пять младших цифр номера):</source>
        <translation>Верхня межа інтервалу (п&apos;ять молодших цифр номера):</translation>
    </message>
    <message>
        <source>Продолжить</source>
        <translation>Продовжити</translation>
    </message>
    <message>
        <source>Текущий выбанный интервал номеров</source>
        <translation>Поточний вибраний інтервал номерів</translation>
    </message>
    <message>
        <source>К инициализации:</source>
        <translation>До ініціалізації:</translation>
    </message>
    <message>
        <source>Инициализация уже выполнена:</source>
        <translation>Ініціалізацію вже виконано:</translation>
    </message>
    <message>
        <source>Завершить</source>
        <translation>Завершити</translation>
    </message>
    <message>
        <source>Некорректные значения границ! Исправьте!</source>
        <translation>Некоректні значення меж! Виправте!</translation>
    </message>
    <message>
        <source>Некорректные границы диапазона!</source>
        <translation>Некоректні межі діапазону!</translation>
    </message>
    <message>
        <source>Очистить оба списка заводских номеров, «К инициализации» и «Инициализация уже выполнена»? Сохранённые номера будут удалены.</source>
        <translation>Очистити обидва списки заводських номерів, «До ініціалізації» та «Ініціалізацію вже виконано»? Збережені номери буде видалено.</translation>
    </message>
    <message>
        <source>Списки сохранены.</source>
        <translation>Списки збережено.</translation>
    </message>
    <message>
        <source>Списки очищены.</source>
        <translation>Списки очищено.</translation>
    </message>
    <message>
        <source>Не удалось прочитать списки заводских номеров!</source>
        <translation>Не вдалося прочитати списки заводських номерів!</translation>
    </message>
    <message>
        <source>Не удалось сохранить списки заводских номеров!</source>
        <translation>Не вдалося зберегти списки заводських номерів!</translation>
    </message>
    <message>
        <source>Не удалось выполнить первоначальную настройку программы!</source>
        <translation>Не вдалося виконати початкове налаштування програми!</translation>
    </message>
    <message>
        <source>Списки заводских номеров не были прочитаны при запуске, поэтому сохранять их нельзя: сохранённые номера были бы потеряны. Устраните причину и перезапустите программу.</source>
        <translation>Списки заводських номерів не було прочитано під час запуску, тому зберігати їх не можна: збережені номери було б втрачено. Усуньте причину й перезапустіть програму.</translation>
    </message>
    <message>
        <source>Шаг1 (установка даты и времени) завершен успешно</source>
        <translation>Крок 1 (встановлення дати й часу) успішно завершено</translation>
    </message>
    <message>
        <source>Дата и время установлены.
После перезагрузки РРО, инициализацию можно продолжить.</source>
        <translation>Дату й час встановлено.
Після перезавантаження РРО ініціалізацію можна продовжити.</translation>
    </message>
    <message>
        <source>Продолжить инициализацию</source>
        <translation>Продовжити ініціалізацію</translation>
    </message>
    <message>
        <source>Завершить программу</source>
        <translation>Завершити програму</translation>
    </message>
    <message>
        <source>Завершить программу? Инициализация не будет продолжена.</source>
        <translation>Завершити програму? Ініціалізацію не буде продовжено.</translation>
    </message>
    <message>
        <source>Завершение инициализации</source>
        <translation>Завершення ініціалізації</translation>
    </message>
    <message>
        <source>Проверьте правильность заводского номера:</source>
        <translation>Перевірте правильність заводського номера:</translation>
    </message>
    <message>
        <source>Неправильный</source>
        <translation>Неправильний</translation>
    </message>
    <message>
        <source>Правильный</source>
        <translation>Правильний</translation>
    </message>
    <message>
        <source>Инициализация завершена некорректно!</source>
        <translation>Ініціалізацію завершено некоректно!</translation>
    </message>
    <message>
        <source>Инициализация завершена успешно!</source>
        <translation>Ініціалізацію успішно завершено!</translation>
    </message>
    <message>
        <source>Инициализация завершена успешно, но списки заводских номеров не сохранены! Запишите номер, чтобы не использовать его повторно.</source>
        <translation>Ініціалізацію успішно завершено, але списки заводських номерів не збережено! Запишіть номер, щоб не використати його повторно.</translation>
    </message>
    <message>
        <source>Порт не выбран</source>
        <translation>Порт не вибрано</translation>
    </message>
    <message>
        <source>Порт %1 не найден: нет такого устройства</source>
        <translation>Порт %1 не знайдено: немає такого пристрою</translation>
    </message>
    <message>
        <source>Нет прав на доступ к порту %1</source>
        <translation>Немає прав на доступ до порту %1</translation>
    </message>
    <message>
        <source>Порт %1 занят другой программой</source>
        <translation>Порт %1 зайнятий іншою програмою</translation>
    </message>
    <message>
        <source>%1 не является последовательным портом</source>
        <translation>%1 не є послідовним портом</translation>
    </message>
    <message>
        <source>Драйвер порта %1 не принимает скорость %2 бод</source>
        <translation>Драйвер порту %1 не приймає швидкість %2 бод</translation>
    </message>
    <message>
        <source>Порт %1 не открывается</source>
        <translation>Порт %1 не відкривається</translation>
    </message>
    <message>
        <source>. Добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и войдите в систему заново</source>
        <translation>. Додайте користувача до групи dialout (sudo usermod -aG dialout $USER) і ввійдіть у систему знову</translation>
    </message>
    <message>
        <source>Тест остановлен</source>
        <translation>Тест зупинено</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка X-отчета!</source>
        <translation>Тайм-аут пристрою! Помилка X-звіту!</translation>
    </message>
    <message>
        <source>Ошибка X-отчета</source>
        <translation>Помилка X-звіту</translation>
    </message>
    <message>
        <source>X-отчет - успешно</source>
        <translation>X-звіт - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка!</source>
        <translation>Тайм-аут пристрою! Помилка!</translation>
    </message>
    <message>
        <source>Ошибка перезагрузки регистратора!</source>
        <translation>Помилка перезавантаження реєстратора!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия денежного ящика!</source>
        <translation>Тайм-аут пристрою! Помилка відкриття грошової скриньки!</translation>
    </message>
    <message>
        <source>Ошибка открытия денежного ящика!</source>
        <translation>Помилка відкриття грошової скриньки!</translation>
    </message>
    <message>
        <source>Открытие денежного ящика -- успешно!</source>
        <translation>Відкриття грошової скриньки -- успішно!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка внутреннего теста!</source>
        <translation>Тайм-аут пристрою! Помилка внутрішнього тесту!</translation>
    </message>
    <message>
        <source>Ошибка внутреннего теста</source>
        <translation>Помилка внутрішнього тесту</translation>
    </message>
    <message>
        <source>Внутренний тест - успешно</source>
        <translation>Внутрішній тест - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия служебного чека!</source>
        <translation>Тайм-аут пристрою! Помилка закриття службового чека!</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека</source>
        <translation>Помилка закриття службового чека</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка работы  с  индикаторами клиента!</source>
        <translation>Тайм-аут пристрою! Помилка роботи  з  індикаторами клієнта!</translation>
    </message>
    <message>
        <source>Ошибка индикаторов клиента</source>
        <translation>Помилка індикаторів клієнта</translation>
    </message>
    <message>
        <source>Нет открытых чеков!</source>
        <translation>Немає відкритих чеків!</translation>
    </message>
    <message>
        <source>Служебный чек закрыт</source>
        <translation>Службовий чек закрито</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка аннулирования чека!</source>
        <translation>Тайм-аут пристрою! Помилка анулювання чека!</translation>
    </message>
    <message>
        <source>Ошибка аннулирования чека</source>
        <translation>Помилка анулювання чека</translation>
    </message>
    <message>
        <source>Чек закрыт</source>
        <translation>Чек закрито</translation>
    </message>
    <message>
        <source>Ошибка установки налогов!</source>
        <translation>Помилка встановлення податків!</translation>
    </message>
    <message>
        <source>Успешно!</source>
        <translation>Успішно!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка Z-отчета!</source>
        <translation>Тайм-аут пристрою! Помилка Z-звіту!</translation>
    </message>
    <message>
        <source>Ошибка Z-отчета</source>
        <translation>Помилка Z-звіту</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка обнуления контрольной ленты!</source>
        <translation>Тайм-аут пристрою! Помилка обнулення контрольної стрічки!</translation>
    </message>
    <message>
        <source>Ошибка обнуления контрольной ленты</source>
        <translation>Помилка обнулення контрольної стрічки</translation>
    </message>
    <message>
        <source>Z-отчет - успешно</source>
        <translation>Z-звіт - успішно</translation>
    </message>
    <message>
        <source>Z-отчет - успешно!</source>
        <translation>Z-звіт - успішно!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка чтения счетчиков дневных!</source>
        <translation>Тайм-аут пристрою! Помилка читання денних лічильників!</translation>
    </message>
    <message>
        <source>Ошибка чтения счетчиков дневных!</source>
        <translation>Помилка читання денних лічильників!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка инициализации!</source>
        <translation>Тайм-аут пристрою! Помилка ініціалізації!</translation>
    </message>
    <message>
        <source>Ошибка инициализации!</source>
        <translation>Помилка ініціалізації!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати текста!</source>
        <translation>Тайм-аут пристрою! Помилка друку тексту!</translation>
    </message>
    <message>
        <source>Ошибка печати текста</source>
        <translation>Помилка друку тексту</translation>
    </message>
    <message>
        <source>Печать текста - успешно</source>
        <translation>Друк тексту - успішно</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека! Ошибка!</source>
        <translation>Помилка закриття службового чека! Помилка!</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека!</source>
        <translation>Помилка закриття службового чека!</translation>
    </message>
    <message>
        <source>Невозможно подключить порт</source>
        <translation>Неможливо підключити порт</translation>
    </message>
    <message>
        <source>Тест регистратора расчетных операций</source>
        <translation>Тест реєстратора розрахункових операцій</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А не установлен!  Таймаут!!!</source>
        <translation>Крок 3. Податок А не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А не установлен!  Ошибка!!!</source>
        <translation>Крок 3. Податок А не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 3. Налог А установлен! </source>
        <translation>Крок 3. Податок А встановлено! </translation>
    </message>
    <message>
        <source>Шаг 3 завершен успешно! </source>
        <translation>Крок 3 успішно завершено! </translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б не установлен!  Таймаут!!!</source>
        <translation>Крок 4. Податок Б не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б не установлен!  Ошибка!!!</source>
        <translation>Крок 4. Податок Б не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 4. Налог Б установлен! </source>
        <translation>Крок 4. Податок Б встановлено! </translation>
    </message>
    <message>
        <source>Шаг 4 завершен успешно! </source>
        <translation>Крок 4 успішно завершено! </translation>
    </message>
    <message>
        <source>Шаг 5. Налог В не установлен!  Таймаут!!!</source>
        <translation>Крок 5. Податок В не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 5. Налог В не установлен!  Ошибка!!!</source>
        <translation>Крок 5. Податок В не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 5. Налог В установлен! </source>
        <translation>Крок 5. Податок В встановлено! </translation>
    </message>
    <message>
        <source>Шаг 5 завершен успешно! </source>
        <translation>Крок 5 успішно завершено! </translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г не установлен!  Таймаут!!!</source>
        <translation>Крок 6. Податок Г не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г не установлен!  Ошибка!!!</source>
        <translation>Крок 6. Податок Г не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 6. Налог Г установлен! </source>
        <translation>Крок 6. Податок Г встановлено! </translation>
    </message>
    <message>
        <source>Шаг 6 завершен успешно! </source>
        <translation>Крок 6 успішно завершено! </translation>
    </message>
    <message>
        <source>Шаг 7. Налоги  не установлены!  Таймаут!!!</source>
        <translation>Крок 7. Податки  не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 7. Налоги не установлены!  Ошибка!!!</source>
        <translation>Крок 7. Податки не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 7. Налоги установлены! </source>
        <translation>Крок 7. Податки встановлено! </translation>
    </message>
    <message>
        <source>Шаг 7 завершен успешно! </source>
        <translation>Крок 7 успішно завершено! </translation>
    </message>
    <message>
        <source>Заводской номер %1 не из списка «К инициализации». Записать его в регистратор?</source>
        <translation>Заводський номер %1 не зі списку «До ініціалізації». Записати його в реєстратор?</translation>
    </message>
    <message>
        <source>Стереть фискальную память регистратора? Все данные фискальной памяти будут потеряны, отменить это нельзя.</source>
        <translation>Стерти фіскальну пам&apos;ять реєстратора? Усі дані фіскальної пам&apos;яті буде втрачено, скасувати це не можна.</translation>
    </message>
    <message>
        <source>Стереть фискальную память регистратора %1? Все данные фискальной памяти будут потеряны, отменить это нельзя.</source>
        <translation>Стерти фіскальну пам&apos;ять реєстратора %1? Усі дані фіскальної пам&apos;яті буде втрачено, скасувати це не можна.</translation>
    </message>
    <message>
        <source>Успешно. Регистратор перезагружен!</source>
        <translation>Успішно. Реєстратор перезавантажено!</translation>
    </message>
    <message>
        <source>Ошибка обнуления ФП!</source>
        <translation>Помилка обнулення ФП!</translation>
    </message>
    <message>
        <source>Успешно. ФП обнулена!</source>
        <translation>Успішно. ФП обнулено!</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время не установлены!  Таймаут!!!</source>
        <translation>Крок 1. Дату й час не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время не установлены!  Ошибка!!!</source>
        <translation>Крок 1. Дату й час не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Ошибка установки времени!</source>
        <translation>Помилка встановлення часу!</translation>
    </message>
    <message>
        <source>Начало инициализации регистратора.</source>
        <translation>Початок ініціалізації реєстратора.</translation>
    </message>
    <message>
        <source>Шаг 1. Дата и время установлены успешно.  Перезагрузка РРО...</source>
        <translation>Крок 1. Дату й час успішно встановлено.  Перезавантаження РРО...</translation>
    </message>
    <message>
        <source>Инициализация выполнена!</source>
        <translation>Ініціалізацію виконано!</translation>
    </message>
    <message>
        <source>Конец инициализации регистратора.</source>
        <translation>Кінець ініціалізації реєстратора.</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер не установлен!  Ошибка!!!</source>
        <translation>Крок 2. Заводський номер не встановлено!  Помилка!!!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер из книги: %1</source>
        <translation>Крок 2. Заводський номер із книги: %1</translation>
    </message>
    <message>
        <source>Ошибка установки заводского номера!</source>
        <translation>Помилка встановлення заводського номера!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер не установлен!  Таймаут!!!</source>
        <translation>Крок 2. Заводський номер не встановлено!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 2. Заводской номер установлен! </source>
        <translation>Крок 2. Заводський номер встановлено! </translation>
    </message>
    <message>
        <source>Шаг 2 завершен успешно! </source>
        <translation>Крок 2 успішно завершено! </translation>
    </message>
    <message>
        <source>Шаг 1. Перезагрузка регистратора не выыполнена!  Таймаут!!!</source>
        <translation>Крок 1. Перезавантаження реєстратора не виконано!  Тайм-аут!!!</translation>
    </message>
    <message>
        <source>Шаг 1. Перезагрузка регистратора не выполнена!  Ошибка!!!</source>
        <translation>Крок 1. Перезавантаження реєстратора не виконано!  Помилка!!!</translation>
    </message>
    <message>
        <source>Ошибка инициализации! Ошибка!</source>
        <translation>Помилка ініціалізації! Помилка!</translation>
    </message>
    <message>
        <source>Не заполнены все необходимые поля!!!</source>
        <translation>Не заповнено всі необхідні поля!!!</translation>
    </message>
    <message>
        <source>Дата, время и заводской номер не должны содержать символ &apos;;&apos;, управляющие символы и символы вне кодировки Windows-1251!</source>
        <translation>Дата, час і заводський номер не повинні містити символ &apos;;&apos;, керувальні символи та символи поза кодуванням Windows-1251!</translation>
    </message>
    <message>
        <source>Неверная дата! Укажите существующую дату в виде DDMMYY (день 01-31, месяц 01-12).</source>
        <translation>Неправильна дата! Вкажіть наявну дату у вигляді DDMMYY (день 01-31, місяць 01-12).</translation>
    </message>
    <message>
        <source>Неверное время! Укажите время в виде HHMM (часы 00-23, минуты 00-59).</source>
        <translation>Неправильний час! Вкажіть час у вигляді HHMM (години 00-23, хвилини 00-59).</translation>
    </message>
    <message>
        <source>Заводской номер слишком длинный: в команду помещается не более 211 символов!</source>
        <translation>Заводський номер задовгий: у команду вміщується не більше 211 символів!</translation>
    </message>
    <message>
        <source>В книге нет типа регистратора %1 (%2): укажите тип номера.</source>
        <translation>У книзі немає типу реєстратора %1 (%2): вкажіть тип номера.</translation>
    </message>
    <message>
        <source>В списке «К инициализации» нет номеров типа «%1».</source>
        <translation>У списку «До ініціалізації» немає номерів типу «%1».</translation>
    </message>
    <message>
        <source>Внимание!  Service Mode включен.</source>
        <translation>Увага!  Service Mode увімкнено.</translation>
    </message>
    <message>
        <source>Service Mode выключен.</source>
        <translation>Service Mode вимкнено.</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка GetDeviceInfo!</source>
        <translation>Тайм-аут пристрою! Помилка GetDeviceInfo!</translation>
    </message>
    <message>
        <source>Ошибка GetDeviceInfo</source>
        <translation>Помилка GetDeviceInfo</translation>
    </message>
    <message>
        <source>%1: поле %2 ответа не является числом (&quot;%3&quot;)</source>
        <translation>%1: поле %2 відповіді не є числом (&quot;%3&quot;)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста таймера!</source>
        <translation>Тайм-аут пристрою! Помилка тесту таймера!</translation>
    </message>
    <message>
        <source>Ошибка теста таймера</source>
        <translation>Помилка тесту таймера</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка CloseServiceReceipt!</source>
        <translation>Тайм-аут пристрою! Помилка CloseServiceReceipt!</translation>
    </message>
    <message>
        <source>Ошибка CloseServiceReceipt!</source>
        <translation>Помилка CloseServiceReceipt!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка чтения параметров регистратора!</source>
        <translation>Тайм-аут пристрою! Помилка читання параметрів реєстратора!</translation>
    </message>
    <message>
        <source>Ошибка чтения параметров регистратора</source>
        <translation>Помилка читання параметрів реєстратора</translation>
    </message>
    <message>
        <source>Чтение параментров регистратора - успешно</source>
        <translation>Читання параметрів реєстратора - успішно</translation>
    </message>
    <message>
        <source>Смена скорости не выполнена: для %1 нет второй скорости при %2 бод</source>
        <translation>Зміну швидкості не виконано: для %1 на %2 бод немає другої швидкості</translation>
    </message>
    <message>
        <source>Ошибка установки параметров!</source>
        <translation>Помилка встановлення параметрів!</translation>
    </message>
    <message>
        <source>Ошибка чтения параметров регистратора!</source>
        <translation>Помилка читання параметрів реєстратора!</translation>
    </message>
    <message>
        <source>Служебный чек - изменения скорости работы с РРО</source>
        <translation>Службовий чек - зміна швидкості роботи з РРО</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати текста! (скорость)</source>
        <translation>Тайм-аут пристрою! Помилка друку тексту! (швидкість)</translation>
    </message>
    <message>
        <source>Ошибка печати текста (скорость)</source>
        <translation>Помилка друку тексту (швидкість)</translation>
    </message>
    <message>
        <source>Печать текста - успешно (скорость)</source>
        <translation>Друк тексту - успішно (швидкість)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка окрытия служебного чека (скорость)!</source>
        <translation>Тайм-аут пристрою! Помилка відкриття службового чека (швидкість)!</translation>
    </message>
    <message>
        <source>Ошибка окрытия служебного чека (скорость)</source>
        <translation>Помилка відкриття службового чека (швидкість)</translation>
    </message>
    <message>
        <source>Чек открыт - успешно (скорость)</source>
        <translation>Чек відкрито - успішно (швидкість)</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия служебного чека! (скорость)</source>
        <translation>Тайм-аут пристрою! Помилка закриття службового чека! (швидкість)</translation>
    </message>
    <message>
        <source>Ошибка закрытия служебного чека (скорость)</source>
        <translation>Помилка закриття службового чека (швидкість)</translation>
    </message>
    <message>
        <source>Изменение скорости ПК/РРО - успешно</source>
        <translation>Зміна швидкості ПК/РРО - успішно</translation>
    </message>
    <message>
        <source>Ошибка установки параметров</source>
        <translation>Помилка встановлення параметрів</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки параметров!</source>
        <translation>Тайм-аут пристрою! Помилка встановлення параметрів!</translation>
    </message>
    <message>
        <source>Установка параментров регистратора - успешно</source>
        <translation>Встановлення параметрів реєстратора - успішно</translation>
    </message>
    <message>
        <source>Невозможно подключить порт на другой скорости</source>
        <translation>Неможливо підключити порт на іншій швидкості</translation>
    </message>
    <message>
        <source>Ошибка изменения скорости порта</source>
        <translation>Помилка зміни швидкості порту</translation>
    </message>
    <message>
        <source>Таймаут устройства!</source>
        <translation>Тайм-аут пристрою!</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Помилка!</translation>
    </message>
    <message>
        <source>Конец теста!</source>
        <translation>Кінець тесту!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка продажи товара!</source>
        <translation>Тайм-аут пристрою! Помилка продажу товару!</translation>
    </message>
    <message>
        <source>Ошибка продажи товара</source>
        <translation>Помилка продажу товару</translation>
    </message>
    <message>
        <source>Продажа товара - успешно</source>
        <translation>Продаж товару - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка оплаты чека!</source>
        <translation>Тайм-аут пристрою! Помилка оплати чека!</translation>
    </message>
    <message>
        <source>Ошибка оплаты чека</source>
        <translation>Помилка оплати чека</translation>
    </message>
    <message>
        <source>Оплата чека - успешно</source>
        <translation>Оплата чека - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати итога!</source>
        <translation>Тайм-аут пристрою! Помилка друку підсумку!</translation>
    </message>
    <message>
        <source>Ошибка печати итога</source>
        <translation>Помилка друку підсумку</translation>
    </message>
    <message>
        <source>Печать итога - успешно</source>
        <translation>Друк підсумку - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка закрытия чека!</source>
        <translation>Тайм-аут пристрою! Помилка закриття чека!</translation>
    </message>
    <message>
        <source>Ошибка закрытия чека</source>
        <translation>Помилка закриття чека</translation>
    </message>
    <message>
        <source>Чек закрыт - успешно</source>
        <translation>Чек закрито - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия фискального чека!</source>
        <translation>Тайм-аут пристрою! Помилка відкриття фіскального чека!</translation>
    </message>
    <message>
        <source>Ошибка открытия фискального чека</source>
        <translation>Помилка відкриття фіскального чека</translation>
    </message>
    <message>
        <source>Фискальный чек открыт - успешно</source>
        <translation>Фіскальний чек відкрито - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка программирования артикулов!</source>
        <translation>Тайм-аут пристрою! Помилка програмування артикулів!</translation>
    </message>
    <message>
        <source>Ошибка программирования артикулов</source>
        <translation>Помилка програмування артикулів</translation>
    </message>
    <message>
        <source>Программирование артикулов - успешно</source>
        <translation>Програмування артикулів - успішно</translation>
    </message>
    <message>
        <source>Программирование артикулов</source>
        <translation>Програмування артикулів</translation>
    </message>
    <message>
        <source>Перезагрузка устройства</source>
        <translation>Перезавантаження пристрою</translation>
    </message>
    <message>
        <source>Ошибка перезагрузки регистратора! Аварийный останов!</source>
        <translation>Помилка перезавантаження реєстратора! Аварійна зупинка!</translation>
    </message>
    <message>
        <source>Ошибка входа в режим аннулирования</source>
        <translation>Помилка входу в режим анулювання</translation>
    </message>
    <message>
        <source>Аннулирование чека - успешно</source>
        <translation>Анулювання чека - успішно</translation>
    </message>
    <message>
        <source>Ошибка аннулирования чека!</source>
        <translation>Помилка анулювання чека!</translation>
    </message>
    <message>
        <source>Фискальный чек</source>
        <translation>Фіскальний чек</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной скидки!</source>
        <translation>Тайм-аут пристрою! Помилка відсоткової знижки!</translation>
    </message>
    <message>
        <source>Ошибка процентной скидки</source>
        <translation>Помилка відсоткової знижки</translation>
    </message>
    <message>
        <source>Процентная скидка - успешно</source>
        <translation>Відсоткова знижка - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной скидки на товар!</source>
        <translation>Тайм-аут пристрою! Помилка відсоткової знижки на товар!</translation>
    </message>
    <message>
        <source>Ошибка процентной скидки на товар</source>
        <translation>Помилка відсоткової знижки на товар</translation>
    </message>
    <message>
        <source>Процентная скидка на товар - успешно</source>
        <translation>Відсоткова знижка на товар - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка процентной надбавки на товар!</source>
        <translation>Тайм-аут пристрою! Помилка відсоткової надбавки на товар!</translation>
    </message>
    <message>
        <source>Ошибка процентной надбавки на товар</source>
        <translation>Помилка відсоткової надбавки на товар</translation>
    </message>
    <message>
        <source>Процентная надбавка на товар - успешно</source>
        <translation>Відсоткова надбавка на товар - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка количественной скидки на товар!</source>
        <translation>Тайм-аут пристрою! Помилка кількісної знижки на товар!</translation>
    </message>
    <message>
        <source>Ошибка количественной скидки на товар</source>
        <translation>Помилка кількісної знижки на товар</translation>
    </message>
    <message>
        <source>Количественная скидка на товар - успешно</source>
        <translation>Кількісна знижка на товар - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка количественной надбавки на товар!</source>
        <translation>Тайм-аут пристрою! Помилка кількісної надбавки на товар!</translation>
    </message>
    <message>
        <source>Ошибка количественной надбавки на товар</source>
        <translation>Помилка кількісної надбавки на товар</translation>
    </message>
    <message>
        <source>Количественная надбавка на товар - успешно</source>
        <translation>Кількісна надбавка на товар - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка абсолютной надбавки-скидки!</source>
        <translation>Тайм-аут пристрою! Помилка абсолютної надбавки-знижки!</translation>
    </message>
    <message>
        <source>Ошибка абсолютной надбавки-скидки</source>
        <translation>Помилка абсолютної надбавки-знижки</translation>
    </message>
    <message>
        <source>Абсолютная надбавка-скидка - успешно</source>
        <translation>Абсолютна надбавка-знижка - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка печати штрихкода!</source>
        <translation>Тайм-аут пристрою! Помилка друку штрихкоду!</translation>
    </message>
    <message>
        <source>Ошибка печати штрихкода</source>
        <translation>Помилка друку штрихкоду</translation>
    </message>
    <message>
        <source>Печать штрихкода - успешно</source>
        <translation>Друк штрихкоду - успішно</translation>
    </message>
    <message>
        <source>Чек возврата</source>
        <translation>Чек повернення</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка открытия чека возврата!</source>
        <translation>Тайм-аут пристрою! Помилка відкриття чека повернення!</translation>
    </message>
    <message>
        <source>Ошибка открытия чека возврата</source>
        <translation>Помилка відкриття чека повернення</translation>
    </message>
    <message>
        <source>Чек возврата открыт - успешно</source>
        <translation>Чек повернення відкрито - успішно</translation>
    </message>
    <message>
        <source>Служебный чек - успешно</source>
        <translation>Службовий чек - успішно</translation>
    </message>
    <message>
        <source>Служебный чек</source>
        <translation>Службовий чек</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка окрытия служебного чека!</source>
        <translation>Тайм-аут пристрою! Помилка відкриття службового чека!</translation>
    </message>
    <message>
        <source>Ошибка окрытия служебного чека</source>
        <translation>Помилка відкриття службового чека</translation>
    </message>
    <message>
        <source>Чек открыт - успешно</source>
        <translation>Чек відкрито - успішно</translation>
    </message>
    <message>
        <source>Отчет проданных товаров</source>
        <translation>Звіт проданих товарів</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка отчета проданных товаров!</source>
        <translation>Тайм-аут пристрою! Помилка звіту проданих товарів!</translation>
    </message>
    <message>
        <source>Ошибка отчета проданных товаров</source>
        <translation>Помилка звіту проданих товарів</translation>
    </message>
    <message>
        <source>Отчет проданных товаров - успешно</source>
        <translation>Звіт проданих товарів - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста Техническая информация!</source>
        <translation>Тайм-аут пристрою! Помилка тесту Технічна інформація!</translation>
    </message>
    <message>
        <source>Ошибка теста Техническая информация</source>
        <translation>Помилка тесту Технічна інформація</translation>
    </message>
    <message>
        <source>Тест Техническая информация - успешно</source>
        <translation>Тест Технічна інформація - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста Статус фискального блока!</source>
        <translation>Тайм-аут пристрою! Помилка тесту Статус фіскального блока!</translation>
    </message>
    <message>
        <source>Ошибка теста Статус фискального блока</source>
        <translation>Помилка тесту Статус фіскального блока</translation>
    </message>
    <message>
        <source>Тест Статус фискального блока - успешно</source>
        <translation>Тест Статус фіскального блока - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка полного теста!</source>
        <translation>Тайм-аут пристрою! Помилка повного тесту!</translation>
    </message>
    <message>
        <source>Ошибка полного теста</source>
        <translation>Помилка повного тесту</translation>
    </message>
    <message>
        <source>Полный тест - успешно</source>
        <translation>Повний тест - успішно</translation>
    </message>
    <message>
        <source>Тест %1</source>
        <translation>Тест %1</translation>
    </message>
    <message>
        <source>Дата тестирования:</source>
        <translation>Дата тестування:</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки времени!</source>
        <translation>Тайм-аут пристрою! Помилка встановлення часу!</translation>
    </message>
    <message>
        <source>Ошибка установки времени</source>
        <translation>Помилка встановлення часу</translation>
    </message>
    <message>
        <source>Установка времени - успешно</source>
        <translation>Встановлення часу - успішно</translation>
    </message>
    <message>
        <source>Установка времени</source>
        <translation>Встановлення часу</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка получения даты-времени!</source>
        <translation>Тайм-аут пристрою! Помилка отримання дати-часу!</translation>
    </message>
    <message>
        <source>Ошибка получения даты-времени</source>
        <translation>Помилка отримання дати-часу</translation>
    </message>
    <message>
        <source>Получить дату/время - успешно</source>
        <translation>Отримати дату/час - успішно</translation>
    </message>
    <message>
        <source>Ошибка получения даты/времени</source>
        <translation>Помилка отримання дати/часу</translation>
    </message>
    <message>
        <source>Номер прохода теста - %1</source>
        <translation>Номер проходу тесту - %1</translation>
    </message>
    <message>
        <source>Получить дату/время</source>
        <translation>Отримати дату/час</translation>
    </message>
    <message>
        <source>Получить налоговый номер</source>
        <translation>Отримати податковий номер</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка получения налогового номера!</source>
        <translation>Тайм-аут пристрою! Помилка отримання податкового номера!</translation>
    </message>
    <message>
        <source>Ошибка получения налогового номера</source>
        <translation>Помилка отримання податкового номера</translation>
    </message>
    <message>
        <source>Получить налоговый номер - успешно</source>
        <translation>Отримати податковий номер - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка теста индикаторов клиента!</source>
        <translation>Тайм-аут пристрою! Помилка тесту індикаторів клієнта!</translation>
    </message>
    <message>
        <source>Ошибка теста индикаторов клиента</source>
        <translation>Помилка тесту індикаторів клієнта</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - строка 2</source>
        <translation>Тест індикаторів клієнта - рядок 2</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - успешно (1)</source>
        <translation>Тест індикаторів клієнта - успішно (1)</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - строка 1</source>
        <translation>Тест індикаторів клієнта - рядок 1</translation>
    </message>
    <message>
        <source>Тест индикаторов клиента - успешно (2)</source>
        <translation>Тест індикаторів клієнта - успішно (2)</translation>
    </message>
    <message>
        <source>Служебное внесение</source>
        <translation>Службове внесення</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка служебного внесения!</source>
        <translation>Тайм-аут пристрою! Помилка службового внесення!</translation>
    </message>
    <message>
        <source>Ошибка служебного внесения</source>
        <translation>Помилка службового внесення</translation>
    </message>
    <message>
        <source>Тест служебного внесения - успешно</source>
        <translation>Тест службового внесення - успішно</translation>
    </message>
    <message>
        <source>Служебная выдача</source>
        <translation>Службова видача</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка служебной выдачи!</source>
        <translation>Тайм-аут пристрою! Помилка службової видачі!</translation>
    </message>
    <message>
        <source>Ошибка служебной выдачи</source>
        <translation>Помилка службової видачі</translation>
    </message>
    <message>
        <source>Тест служебной выдачи - успешно</source>
        <translation>Тест службової видачі - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка GetRegistratorParams!</source>
        <translation>Тайм-аут пристрою! Помилка GetRegistratorParams!</translation>
    </message>
    <message>
        <source>Ошибка GetRegistratorParams</source>
        <translation>Помилка GetRegistratorParams</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка SetRegistratorParams!</source>
        <translation>Тайм-аут пристрою! Помилка SetRegistratorParams!</translation>
    </message>
    <message>
        <source>Ошибка SetRegistratorParams</source>
        <translation>Помилка SetRegistratorParams</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка работы  с  ТО!</source>
        <translation>Тайм-аут пристрою! Помилка роботи  з  ТО!</translation>
    </message>
    <message>
        <source>Ошибка ТО</source>
        <translation>Помилка ТО</translation>
    </message>
    <message>
        <source> Ошибка Z-отчета</source>
        <translation> Помилка Z-звіту</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки заголовка чека!</source>
        <translation>Тайм-аут пристрою! Помилка встановлення заголовка чека!</translation>
    </message>
    <message>
        <source>Ошибка установки заголовка чека</source>
        <translation>Помилка встановлення заголовка чека</translation>
    </message>
    <message>
        <source>Заголовок чека %1 - успешно</source>
        <translation>Заголовок чека %1 - успішно</translation>
    </message>
    <message>
        <source>Ошибка установки заголовка чека!</source>
        <translation>Помилка встановлення заголовка чека!</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки типа оплаты!</source>
        <translation>Тайм-аут пристрою! Помилка встановлення типу оплати!</translation>
    </message>
    <message>
        <source>Ошибка установки типа оплаты</source>
        <translation>Помилка встановлення типу оплати</translation>
    </message>
    <message>
        <source>Установки типа оплаты %1 - успешно</source>
        <translation>Встановлення типу оплати %1 - успішно</translation>
    </message>
    <message>
        <source>Таймаут устройства! Ошибка установки параметров оператора!</source>
        <translation>Тайм-аут пристрою! Помилка встановлення параметрів оператора!</translation>
    </message>
    <message>
        <source>Ошибка установки параметров оператора</source>
        <translation>Помилка встановлення параметрів оператора</translation>
    </message>
    <message>
        <source>Установка параметров оператора - успешно</source>
        <translation>Встановлення параметрів оператора - успішно</translation>
    </message>
    <message>
        <source>Неверное количество циклов теста</source>
        <translation>Неправильна кількість проходів тесту</translation>
    </message>
    <message>
        <source>Неверная величина задержки 
   между командами</source>
        <translation>Неправильна величина затримки 
   між командами</translation>
    </message>
    <message>
        <source>Тест остановлен </source>
        <translation>Тест зупинено </translation>
    </message>
    <message>
        <source>Конец теста %1</source>
        <translation>Кінець тесту %1</translation>
    </message>
    <message>
        <source>Общее количество ошибок: %1</source>
        <translation>Загальна кількість помилок: %1</translation>
    </message>
    <message>
        <source>Язык окон</source>
        <translation>Мова вікон</translation>
    </message>
    <message>
        <source>Окна останутся на этом языке.</source>
        <translation>Вікна залишаться цією мовою.</translation>
    </message>
    <message>
        <source>Язык окон сменится при следующем запуске программы.</source>
        <translation>Мова вікон зміниться під час наступного запуску програми.</translation>
    </message>
    <message>
        <source>Показывать окна программы на украинском языке?</source>
        <translation>Показувати вікна програми українською мовою?</translation>
    </message>
    <message>
        <source>Показывать окна программы на румынском языке?</source>
        <translation>Показувати вікна програми румунською мовою?</translation>
    </message>
    <message>
        <source>Veltor FP-T320 Retail Украина</source>
        <translation>Veltor FP-T320 Retail Україна</translation>
    </message>
    <message>
        <source>Veltor FP-510T Украина</source>
        <translation>Veltor FP-510T Україна</translation>
    </message>
    <message>
        <source>Veltor KM-15 Украина</source>
        <translation>Veltor KM-15 Україна</translation>
    </message>
    <message>
        <source>Veltor FP-T320 Молдова</source>
        <translation>Veltor FP-T320 Молдова</translation>
    </message>
    <message>
        <source>Veltor FP-510T Молдова</source>
        <translation>Veltor FP-510T Молдова</translation>
    </message>
    <message>
        <source>, язык журнала: %1</source>
        <translation>, мова журналу: %1</translation>
    </message>
    <message>
        <source>русский</source>
        <translation>російська</translation>
    </message>
    <message>
        <source>украинский</source>
        <translation>українська</translation>
    </message>
    <message>
        <source>румынский</source>
        <translation>румунська</translation>
    </message>
    <message>
        <source>сервер не подтвердил себя сертификатом, которому доверяет эта станция</source>
        <translation>сервер не підтвердив себе сертифікатом, якому довіряє ця станція</translation>
    </message>
    <message>
        <source>сервер просит пароль пользователя «%1», а в файле паролей libpq и в файле служб его нет</source>
        <translation>сервер просить пароль користувача «%1», а у файлі паролів libpq і у файлі служб його немає</translation>
    </message>
    <message>
        <source>сервер не принял пароль пользователя «%1»</source>
        <translation>сервер не прийняв пароль користувача «%1»</translation>
    </message>
    <message>
        <source>Нет связи с базой линии %1: %2.</source>
        <translation>Немає зв&apos;язку з базою лінії %1: %2.</translation>
    </message>
    <message>
        <source>Нет связи с базой линии %1: %2 (%3).</source>
        <translation>Немає зв&apos;язку з базою лінії %1: %2 (%3).</translation>
    </message>
    <message>
        <source>Подключение к базе линии не задано.</source>
        <translation>Підключення до бази лінії не задано.</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии не читается: в ней есть нулевой символ.</source>
        <translation>Рядок підключення до бази лінії не читається: у ньому є нульовий символ.</translation>
    </message>
    <message>
        <source>не хватило памяти</source>
        <translation>не вистачило пам&apos;яті</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии не читается: %1.</source>
        <translation>Рядок підключення до бази лінії не читається: %1.</translation>
    </message>
    <message>
        <source>Строка подключения к базе линии содержит пароль, а пароль берётся из файла паролей libpq или из файла служб, а не из настроек Tallowick.</source>
        <translation>Рядок підключення до бази лінії містить пароль, а пароль береться з файлу паролів libpq або з файлу служб, а не з налаштувань Tallowick.</translation>
    </message>
    <message>
        <source>Нет связи с базой линии: не хватило памяти.</source>
        <translation>Немає зв&apos;язку з базою лінії: не вистачило пам&apos;яті.</translation>
    </message>
    <message>
        <source>Связь с базой линии %1 потеряна: %2.</source>
        <translation>Зв&apos;язок із базою лінії %1 втрачено: %2.</translation>
    </message>
    <message>
        <source>Сервер базы линии %1 не дал пользователю «%2» права на это: %3.</source>
        <translation>Сервер бази лінії %1 не надав користувачу «%2» права на це: %3.</translation>
    </message>
    <message>
        <source>База линии %1 занята и не выполнила запрос: %2.</source>
        <translation>База лінії %1 зайнята і не виконала запит: %2.</translation>
    </message>
    <message>
        <source>База линии %1 не выполнила запрос: %2.</source>
        <translation>База лінії %1 не виконала запит: %2.</translation>
    </message>
    <message>
        <source>Пользователь «%1» не допущен к базе линии %2: администратор даёт ему роль tallowick_station.</source>
        <translation>Користувача «%1» не допущено до бази лінії %2: адміністратор надає йому роль tallowick_station.</translation>
    </message>
    <message>
        <source>В базе линии %1 нет схемы Tallowick: её создаёт владелец базы командой «tallowick-cli db init».</source>
        <translation>У базі лінії %1 немає схеми Tallowick: її створює власник бази командою «tallowick-cli db init».</translation>
    </message>
    <message>
        <source>Схема базы линии %1 версии %2 новее этой программы (она знает версию %3): обновите Tallowick.</source>
        <translation>Схема бази лінії %1 версії %2 новіша за цю програму (вона знає версію %3): оновіть Tallowick.</translation>
    </message>
    <message>
        <source>Схема базы линии %1 версии %2 старше этой программы: владелец базы обновляет её командой «tallowick-cli db init».</source>
        <translation>Схема бази лінії %1 версії %2 старша за цю програму: власник бази оновлює її командою «tallowick-cli db init».</translation>
    </message>
    <message>
        <source>История базы линии %1 не читается: %2.</source>
        <translation>Історія бази лінії %1 не читається: %2.</translation>
    </message>
    <message>
        <source>Запись не передана в базу линии: у неё нет опознавательного номера (uid «%1»).</source>
        <translation>Запис не передано в базу лінії: у нього немає ідентифікатора (uid «%1»).</translation>
    </message>
    <message>
        <source>Запись %1 не передана в базу линии: %2 содержит текст не в кодировке UTF-8 или нулевой символ.</source>
        <translation>Запис %1 не передано в базу лінії: %2 містить текст не в кодуванні UTF-8 або нульовий символ.</translation>
    </message>
    <message>
        <source>Подключение к базе линии не принято: %1</source>
        <translation>Підключення до бази лінії не прийнято: %1</translation>
    </message>
    <message>
        <source>Размер запаса номеров станции в настройках должен быть числом от 0 до %1, а не «%2».</source>
        <translation>Розмір запасу номерів станції в налаштуваннях має бути числом від 0 до %1, а не «%2».</translation>
    </message>
    <message>
        <source>Линия %1: доступна, соединение зашифровано</source>
        <translation>Лінія %1: доступна, з&apos;єднання зашифроване</translation>
    </message>
    <message>
        <source>Линия %1: доступна, без шифрования</source>
        <translation>Лінія %1: доступна, без шифрування</translation>
    </message>
    <message>
        <source>Линия: соединение устанавливается</source>
        <translation>Лінія: з&apos;єднання встановлюється</translation>
    </message>
    <message>
        <source>Линия недоступна</source>
        <translation>Лінія недоступна</translation>
    </message>
    <message>
        <source>Линия %1: недоступна</source>
        <translation>Лінія %1: недоступна</translation>
    </message>
    <message>
        <source>; ожидают отправки: %1</source>
        <translation>; чекають на відправлення: %1</translation>
    </message>
    <message>
        <source>; номеров в конфликте: %1</source>
        <translation>; номерів у конфлікті: %1</translation>
    </message>
    <message>
        <source>свободен</source>
        <translation>вільний</translation>
    </message>
    <message>
        <source>в резерве станции %1</source>
        <translation>у резерві станції %1</translation>
    </message>
    <message>
        <source>взят станцией %1</source>
        <translation>узятий станцією %1</translation>
    </message>
    <message>
        <source>уже записан в регистратор станцией %1</source>
        <translation>уже записаний у реєстратор станцією %1</translation>
    </message>
    <message>
        <source>не найден в книге линии</source>
        <translation>не знайдений у книзі лінії</translation>
    </message>
    <message>
        <source>Номера %1 нет в книге линии.</source>
        <translation>Номера %1 немає в книзі лінії.</translation>
    </message>
    <message>
        <source>Номер %1 не выдан станции %2: он %3.</source>
        <translation>Номер %1 не видано станції %2: він %3.</translation>
    </message>
    <message>
        <source>Нет свободных номеров %1… в книге линии.</source>
        <translation>Немає вільних номерів %1… у книзі лінії.</translation>
    </message>
    <message>
        <source>Номер %1 не отмечен как записанный: станция %2 его не брала, он %3.</source>
        <translation>Номер %1 не позначено як записаний: станція %2 його не брала, він %3.</translation>
    </message>
    <message>
        <source>Ответ о номере %1 не сохранён: станция %2 его не брала, он %3.</source>
        <translation>Відповідь про номер %1 не збережено: станція %2 його не брала, він %3.</translation>
    </message>
    <message>
        <source>Номер %1, записанный станцией %2 без связи с сервером, на линии %3.</source>
        <translation>Номер %1, записаний станцією %2 без зв&apos;язку з сервером, на лінії %3.</translation>
    </message>
    <message>
        <source>Номер %1 из списка «К инициализации» на линии %2; он оставлен как есть.</source>
        <translation>Номер %1 зі списку «До ініціалізації» на лінії %2; його залишено як є.</translation>
    </message>
    <message>
        <source>Номер %1 из списка «Инициализация уже выполнена» на линии %2; он оставлен как есть.</source>
        <translation>Номер %1 зі списку «Ініціалізацію вже виконано» на лінії %2; його залишено як є.</translation>
    </message>
    <message>
        <source>Номер %1 не освобождён: он и так свободен.</source>
        <translation>Номер %1 не звільнено: він і так вільний.</translation>
    </message>
    <message>
        <source>Номер %1 не освобождён: нужно указать причину.</source>
        <translation>Номер %1 не звільнено: потрібно вказати причину.</translation>
    </message>
    <message>
        <source>Резерв станции — от 0 до 1000 номеров, а не %1.</source>
        <translation>Резерв станції — від 0 до 1000 номерів, а не %1.</translation>
    </message>
    <message>
        <source>Тип регистратора %1 не известен книге: её номера начинаются с %2.</source>
        <translation>Тип реєстратора %1 не відомий книзі: її номери починаються з %2.</translation>
    </message>
    <message>
        <source>Номер не выдан: база линии недоступна, а в запасе станции нет номеров %1….</source>
        <translation>Номер не видано: база лінії недоступна, а в запасі станції немає номерів %1….</translation>
    </message>
    <message>
        <source>Номер не выдан: база линии недоступна, а в запасе станции нет номеров %1… (%2)</source>
        <translation>Номер не видано: база лінії недоступна, а в запасі станції немає номерів %1… (%2)</translation>
    </message>
    <message>
        <source>Номер %1 не выдан: база линии недоступна, а его нет в запасе станции (номеров %2… в запасе: %3)</source>
        <translation>Номер %1 не видано: база лінії недоступна, а його немає в запасі станції (номерів %2… у запасі: %3)</translation>
    </message>
    <message>
        <source>База линии недоступна: номер %1 выдан из запаса станции; номеров %2… в запасе осталось: %3.</source>
        <translation>База лінії недоступна: номер %1 видано із запасу станції; номерів %2… у запасі залишилося: %3.</translation>
    </message>
    <message>
        <source>Запись %1 истории станции не отправлена на линию: %2</source>
        <translation>Запис %1 історії станції не відправлено на лінію: %2</translation>
    </message>
    <message>
        <source>Имя станции не задано.</source>
        <translation>Ім&apos;я станції не задано.</translation>
    </message>
    <message>
        <source>Имя станции не годится: нужно до 63 знаков, без управляющих символов, в UTF-8.</source>
        <translation>Ім&apos;я станції не підходить: потрібно до 63 знаків, без керівних символів, в UTF-8.</translation>
    </message>
    <message>
        <source>на диске нет места</source>
        <translation>на диску немає місця</translation>
    </message>
    <message>
        <source>ошибка ввода-вывода</source>
        <translation>помилка введення-виведення</translation>
    </message>
    <message>
        <source>файловая система доступна только для чтения</source>
        <translation>файлова система доступна лише для читання</translation>
    </message>
    <message>
        <source>нет прав на запись</source>
        <translation>немає прав на запис</translation>
    </message>
    <message>
        <source>файл слишком велик</source>
        <translation>файл завеликий</translation>
    </message>
    <message>
        <source>слишком много символических ссылок</source>
        <translation>забагато символічних посилань</translation>
    </message>
    <message>
        <source>папка %1 не существует</source>
        <translation>папка %1 не існує</translation>
    </message>
    <message>
        <source>нет прав на запись в папку %1</source>
        <translation>немає прав на запис у папку %1</translation>
    </message>
    <message>
        <source>Невозможно записать файл %1: %2</source>
        <translation>Неможливо записати файл %1: %2</translation>
    </message>
    <message>
        <source>не указано имя файла</source>
        <translation>не вказано ім&apos;я файлу</translation>
    </message>
    <message>
        <source>это не обычный файл (папка, канал или устройство), он не будет заменён</source>
        <translation>це не звичайний файл (папка, канал або пристрій), його не буде замінено</translation>
    </message>
    <message>
        <source>это не обычный файл (устройство)</source>
        <translation>це не звичайний файл (пристрій)</translation>
    </message>
    <message>
        <source>Копировать</source>
        <translation>Копіювати</translation>
    </message>
    <message>
        <source>Сохранить...</source>
        <translation>Зберегти...</translation>
    </message>
    <message>
        <source>Будет выгружено записей: %1.</source>
        <translation>Буде вивантажено записів: %1.</translation>
    </message>
    <message>
        <source>Выгрузка отменена.</source>
        <translation>Вивантаження скасовано.</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>Проверено регистраторов: %1; прогонов: %2, из них без заводского номера: %3</source>
        <translation>Перевірено реєстраторів: %1; прогонів: %2, з них без заводського номера: %3</translation>
    </message>
    <message>
        <source>Выход с первого раза: %1 (%2 из %3)</source>
        <translation>Вихід з першого разу: %1 (%2 з %3)</translation>
    </message>
    <message>
        <source>Итоговый выход: %1 (%2 из %3)</source>
        <translation>Підсумковий вихід: %1 (%2 з %3)</translation>
    </message>
    <message>
        <source>Прогонов с ошибками: %1; длительность прогона: медиана %2, 90-й процентиль %3</source>
        <translation>Прогонів з помилками: %1; тривалість прогону: медіана %2, 90-й процентиль %3</translation>
    </message>
    <message>
        <source>Инициализаций: %1 (выполнено %2, не выполнено %3)</source>
        <translation>Ініціалізацій: %1 (виконано %2, не виконано %3)</translation>
    </message>
    <message>
        <source>Отказы по шагам</source>
        <translation>Відмови за кроками</translation>
    </message>
    <message>
        <source>Отказов нет.</source>
        <translation>Відмов немає.</translation>
    </message>
    <message>
        <source>(вне шагов)</source>
        <translation>(поза кроками)</translation>
    </message>
    <message>
        <source>Выход по дням</source>
        <translation>Вихід за днями</translation>
    </message>
    <message>
        <source>Нет проверенных регистраторов.</source>
        <translation>Немає перевірених реєстраторів.</translation>
    </message>
    <message>
        <source>итоговый</source>
        <translation>підсумковий</translation>
    </message>
    <message>
        <source>с первого раза</source>
        <translation>з першого разу</translation>
    </message>
    <message>
        <source>Показатели</source>
        <translation>Показники</translation>
    </message>
    <message>
        <source>Сохранить PNG...</source>
        <translation>Зберегти PNG...</translation>
    </message>
    <message>
        <source>Рисунки PNG (*.png)|*.png</source>
        <translation>Зображення PNG (*.png)|*.png</translation>
    </message>
    <message>
        <source>Документы PDF (*.pdf)|*.pdf</source>
        <translation>Документи PDF (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Отчет...</source>
        <translation>Звіт...</translation>
    </message>
    <message>
        <source>Отчет об испытаниях выбранной записи в PDF</source>
        <translation>Звіт про випробування вибраного запису в PDF</translation>
    </message>
    <message>
        <source>это не шрифт TrueType</source>
        <translation>це не шрифт TrueType</translation>
    </message>
    <message>
        <source>файл шрифта повреждён</source>
        <translation>файл шрифту пошкоджено</translation>
    </message>
    <message>
        <source>в шрифте нет таблицы %1</source>
        <translation>у шрифті немає таблиці %1</translation>
    </message>
    <message>
        <source>в шрифте нет таблицы символов Юникода</source>
        <translation>у шрифті немає таблиці символів Юнікоду</translation>
    </message>
    <message>
        <source>Не найден шрифт отчета %1 (искали в папках: %2).</source>
        <translation>Не знайдено шрифт звіту %1 (шукали в папках: %2).</translation>
    </message>
    <message>
        <source>Шрифт отчета %1 не читается: %2.</source>
        <translation>Шрифт звіту %1 не читається: %2.</translation>
    </message>
    <message>
        <source>Записей заводского номера %1 в истории: %2. Включить в отчет все?</source>
        <translation>Записів заводського номера %1 в історії: %2. Включити у звіт усі?</translation>
    </message>
    <message>
        <source>Отчет сохранен в файл %1 (записей: %2)</source>
        <translation>Звіт збережено у файл %1 (записів: %2)</translation>
    </message>
</context>
</TS>
