#include "HelpTexts.h"

#include <iterator>

namespace kv {

namespace {

const char *const kTexts[] = {
    // 0: Instalacja programu
    "Kelvadrin działa w systemie Linux, w środowisku graficznym z obszarem powiadomień "
    "(zasobnikiem systemowym), w którym umieszcza swoją ikonę.\n"
    "\n"
    "Instalacja z kodu źródłowego: w folderze z kodem programu wystarczy wydać polecenie "
    "„scripts/run.sh”. Doinstaluje ono potrzebne pakiety systemu (za pierwszym razem "
    "wymaga uprawnień administratora - sudo), zbuduje program i uruchomi go. Polecenie "
    "„scripts/test.sh” buduje program i uruchamia wszystkie jego testy. Zbudowany program "
    "to plik „build/bin/kelvadrin”.\n"
    "\n"
    "Instalacja z pakietu: pakiet .deb instaluje się poleceniem "
    "„sudo apt install ./kelvadrin_*.deb”, a usuwa poleceniem „sudo apt remove kelvadrin”.\n"
    "\n"
    "Przy uruchomieniu program zapisuje, jeśli go brak, wpis autostartu "
    "„~/.config/autostart/kelvadrin.desktop”, dzięki któremu uruchamia się razem z sesją "
    "pulpitu. Istniejącego wpisu program nigdy nie nadpisuje, można go więc dowolnie "
    "zmienić; aby wyłączyć autostart, wystarczy dopisać w nim wiersz „Hidden=true” "
    "(usunięty wpis zostałby zapisany ponownie).\n"
    "\n"
    "Ponowna instalacja, także nowszej wersji, nie narusza zapisanych danych. Aby usunąć "
    "program, należy zakończyć go poleceniem „Koniec”, a następnie usunąć pakiet albo folder "
    "z kodem programu oraz wpis autostartu.\n"
    "\n"
    "Dane programu:\n"
    "- ustawienia, terminy i zadania: plik „~/.config/kelvadrin/registry.sqlite3”;\n"
    "- baza teleadresowa („Baza teleadresowa.adr”) i archiwum („Archiwum.tra”): folder "
    "„~/.local/share/Kelvadrin”.\n"
    "Jeśli ustawiono zmienne środowiska XDG_CONFIG_HOME lub XDG_DATA_HOME, foldery te leżą "
    "w miejscach przez nie wskazanych.\n"
    "\n"
    "Uwaga ! Usunięcie programu nie usuwa danych. Usunięcie folderów danych "
    "(„~/.config/kelvadrin” i „~/.local/share/Kelvadrin”) spowoduje bezpowrotną utratę "
    "wszystkich terminów, zadań, ustawień, bazy teleadresowej i archiwum. Przed ich "
    "usunięciem warto wyeksportować terminy i bazę teleadresową (menu „Plik”).",

    // 1: Panel Terminy
    "Objaśnienia:\n"
    "\n"
    "Termin - suwak „Termin...”, strzałki obok niego i pole „Termin numer...” wybierają "
    "jeden z 50 terminów; pola panelu pokazują dane wybranego terminu. Każda zmiana jest "
    "zapisywana od razu - nie ma przycisku zapisu. Przycisk z lupą odnajduje pierwszy wolny "
    "termin.\n"
    "\n"
    "Dodaj - zaznaczenie pola „Dodaj” aktywuje termin, a usunięcie zaznaczenia dezaktywuje "
    "go bez usuwania danych. Migające za napisem wykrzykniki przypominają, że poprawnie "
    "określony termin nie jest jeszcze aktywny.\n"
    "\n"
    "Data - gdy zaznaczono tylko pole „Data:”, przypomnienie nastąpi w podanym dniu, gdy "
    "tylko program zostanie tego dnia uruchomiony (a jeśli już działa - od razu).\n"
    "\n"
    "Godzina - gdy zaznaczono tylko pole „Godzina:”, przypomnienie nastąpi o podanej "
    "godzinie bieżącego dnia. Gdy zaznaczono oba pola, przypomnienie nastąpi w podanym dniu "
    "o podanej godzinie.\n"
    "\n"
    "Usuń - usuwa wszystkie dane wybranego terminu (po potwierdzeniu).\n"
    "\n"
    "Drukuj - drukuje treść wiadomości na domyślnej drukarce.\n"
    "\n"
    "Termin cykliczny - położenie suwaka określa okres powtarzania: jednorazowo, co 1 do 29 "
    "dni, co 1 do 11 miesięcy lub co rok; pola „Tydzień”, „Miesiąc” i „Rok” ustawiają "
    "suwak od razu. Po przypomnieniu termin cykliczny przechodzi na kolejną datę.\n"
    "\n"
    "Zegar - animowany zegar pojawia się, gdy termin jest poprawny i aktualny. Ruch "
    "wskazówki jest potwierdzeniem aktywacji terminu; zegar nieruchomy oznacza termin "
    "aktualny, lecz nieaktywny.\n"
    "\n"
    "Powiązanie z wpisem... - w polu „powiązanie z wpisem numer...” można podać numer "
    "wpisu bazy teleadresowej; wpis ten zostanie wskazany razem z przypomnieniem.\n"
    "\n"
    "Wiadomość - dowolny tekst przypomnienia, do 500 znaków. Przyciski „Kalendarz” i "
    "„Lista terminów” otwierają kalendarz oraz listę wszystkich aktywnych terminów.",

    // 2: Informacje ogólne
    "Zasady działania programu:\n"
    "\n"
    "Kelvadrin pracuje w tle, a jego ikona znajduje się w obszarze powiadomień pulpitu. "
    "Kliknięcie ikony lewym przyciskiem myszy otwiera okno programu, a prawym - menu "
    "z poleceniami „Ustawienia”, „O programie”, „Pomoc” i „Koniec”. Przycisk "
    "„Zamknij” jedynie ukrywa okno; program kończy wyłącznie polecenie „Koniec”.\n"
    "\n"
    "Przypomnienie to okno wyświetlane na wierzchu wszystkich innych okien. Zawiera treść "
    "wiadomości, termin przypomnienia oraz informację o cykliczności terminu.\n"
    "\n"
    "Przypomnienia następują z dokładnością do 1 minuty - program sprawdza wszystkie "
    "aktywne terminy co minutę.\n"
    "\n"
    "Przypomnienia, których termin minął w czasie, gdy program nie był uruchomiony, "
    "nie zostaną utracone. Zostaną wyświetlone, wraz ze stosowną adnotacją, zaraz po "
    "ponownym uruchomieniu programu.\n"
    "\n"
    "Po wyświetleniu przypomnienia termin jednorazowy jest usuwany, a jego wiadomość "
    "domyślnie trafia do archiwum (decyduje o tym pole „Dodaj każdą wiadomość do archiwum "
    "- domyślnie.” w panelu „Program” oraz pozycja „Dodaj do archiwum” w oknie "
    "przypomnienia). Termin cykliczny zostaje przesunięty na kolejną datę i pozostaje "
    "aktywny.",

    // 3: Dźwięk
    "W momencie przypomnienia program może odtworzyć dowolny dźwięk zapisany w pliku mp3 "
    "lub wave (wav). Dźwięk wybiera się przyciskiem „Przeglądaj” w panelu „Program”; "
    "pole „Odtwórz dźwięk w momencie przypomnienia...” pokazuje, czy dźwięk jest "
    "ustawiony, a usunięcie jego zaznaczenia oznacza rezygnację z dźwięku.\n"
    "\n"
    "Gdy nie wybrano żadnego pliku, przypomnieniu towarzyszy domyślny sygnał „Wykrzyknik” "
    "- krótki, dwutonowy dźwięk programu.\n"
    "\n"
    "Pole „Poprzedzaj moment przypomnienia sygnałem.” włącza sygnał poprzedzający okno "
    "przypomnienia, a pole „Czas trwania...” określa jego długość w sekundach (od 1 do 99).\n"
    "\n"
    "Uwaga ! Zanim ustawisz ulubiony utwór heavymetalowy na przypomnienie o szóstej rano, "
    "sprawdź, czy głośniki nie są podkręcone na cały regulator. Sąsiedzi mogą nie podzielać "
    "Twojego zachwytu.",

    // 4: Import - eksport danych
    "Terminy oraz bazę teleadresową można zapisać do pliku, aby przenieść je na inny "
    "komputer lub zachować ich kopię. Służy do tego menu „Plik” okna programu:\n"
    "- „Terminy” - „Eksportuj...” zapisuje wszystkie terminy do pliku z rozszerzeniem "
    "*.ter, a „Importuj...” wczytuje terminy z takiego pliku;\n"
    "- „Baza teleadresowa” - „Eksportuj...” zapisuje kopię bazy teleadresowej do pliku "
    "z rozszerzeniem *.adr, a „Importuj...” wczytuje bazę z takiego pliku.\n"
    "\n"
    "Plik terminów podany w wierszu poleceń („kelvadrin terminy.ter”) zostanie "
    "zaimportowany, po potwierdzeniu, przy uruchomieniu programu.\n"
    "\n"
    "Terminy i zadania można też zapisać i wczytać w formacie iCalendar (*.ics), "
    "który czytają inne kalendarze; import z takiego pliku dodaje terminy i zadania na "
    "wolne miejsca i niczego nie zastępuje.\n"
    "Bazę teleadresową można też zapisać i wczytać w formacie vCard (*.vcf), którego "
    "używają telefony i programy pocztowe; import z takiego pliku dodaje wpisy na wolne "
    "miejsca i niczego nie zastępuje.\n"
    "\n"
    "Terminy, zadania i bazę teleadresową można też synchronizować z serwerem kalendarzy "
    "(CalDAV i CardDAV, np. Nextcloud lub Radicale), a przez niego z innymi komputerami "
    "i telefonem: „Program” - „Synchronizacja...”. Gdy ta sama pozycja zmieni się "
    "w dwóch miejscach, zostają obie wersje.\n"
    "\n"
    "Uwaga ! Import bezpowrotnie zastępuje obecne dane: wszystkie terminy albo całą bazę "
    "teleadresową. Przed importem warto wyeksportować obecne dane.",

    // 5: Archiwum
    "Archiwum przechowuje treść każdej wyświetlonej wiadomości wraz z datą przypomnienia, "
    "chyba że zdecydujesz inaczej w panelu „Program” lub w menu okna przypomnienia. "
    "Mieści do 9999 wiadomości.\n"
    "\n"
    "Wiadomości można wyszukiwać według wyrażenia stanowiącego całość lub część ich treści "
    "albo według daty. Odnalezioną wiadomość można przeczytać, wydrukować lub usunąć "
    "z archiwum. Przycisk „Kalendarz” pozwala wybrać datę w kalendarzu.\n"
    "\n"
    "Objaśnienia:\n"
    "\n"
    "Wyrażenie - po zaznaczeniu pola „Wyrażenie...” wpisany tekst (do 50 znaków) jest "
    "wyszukiwany w treści wszystkich wiadomości. Wielkość liter nie ma znaczenia.\n"
    "\n"
    "Data - po zaznaczeniu pola „Data...” można podać dzień, miesiąc i rok. Data niepełna "
    "odnajduje wiadomości z danego dnia, miesiąca lub roku: sam rok - wszystkie wiadomości "
    "z tego roku, dzień i miesiąc bez roku - wiadomości z tego dnia w każdym roku.\n"
    "\n"
    "Wyszukiwanie rozpoczyna przycisk „Szukaj...”.",

    // 6: Baza teleadresowa
    "Baza teleadresowa mieści do 1000 wpisów. Każdy wpis ma swój numer (pole "
    "„Wpis numer...”); wpisanie numeru lub użycie strzałek obok pola pokazuje dane wpisu.\n"
    "\n"
    "Objaśnienia:\n"
    "\n"
    "Dodaj - zapisuje dane z pól pod pierwszym wolnym numerem. Wymaga wypełnienia co "
    "najmniej jednego pola danych kluczowych: „Nazwa:”, „Miejscowość:”, „Kod:”, "
    "„Ulica:”, „Tel.:”, „e-mail:” lub „icq:”.\n"
    "\n"
    "Zmień - zapisuje zmienione dane pod numerem pokazanego wpisu.\n"
    "\n"
    "Usuń - usuwa pokazany wpis (po potwierdzeniu); numery pozostałych wpisów nie "
    "zmieniają się.\n"
    "\n"
    "Szukaj - wyszukuje wpis według pola wybranego po lewej stronie (np. „Nazwa:”); "
    "wpisany tekst może być całością lub częścią zawartości pola. Wielkość liter nie ma "
    "znaczenia. Pole „Inne...” nie jest przeszukiwane - w przeciwieństwie do treści "
    "wiadomości w archiwum.\n"
    "\n"
    "Dalej - kontynuuje wyszukiwanie według tych samych kryteriów, czyli tych, które "
    "określono przed wybraniem opcji „Szukaj”.\n"
    "\n"
    "Dodaj do aktualnego terminu - wstawia numer pokazanego wpisu do aktualnie edytowanego "
    "terminu przypomnienia; wpis zostanie wskazany razem z przypomnieniem.\n"
    "\n"
    "icq: - numer komunikatora internetowego, do 20 znaków.\n"
    "\n"
    "Przycisk „e-mail” otwiera program pocztowy z nową wiadomością na adres z pola "
    "„e-mail:”, a przycisk „Drukuj” pozwala wydrukować dane wpisu.",

    // 7: Zadania
    "Zadania to notatki, dla których nie trzeba podawać terminu przypomnienia: wystarczy "
    "wpisać treść i wybrać „Dodaj”, a program zapamięta ją razem z datą dodania.",
};

} // namespace

QString helpPageText(int page) {
    if (page < 0 || page >= int(std::size(kTexts)))
        return {};
    return QString::fromUtf8(kTexts[page]);
}

} // namespace kv
