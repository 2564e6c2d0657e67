import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0

Item {
    id: root
    width: 800
    height: 600

    HusSelect {
        id: select
        width: 180
        height: 30
        animationEnabled: false
        model: [{ label: "高速线路", value: "https://a.example" }, { label: "备用线路", value: "https://b.example" }]
        property var seen: []
        onCurrentIndexChanged: seen.push(currentIndex)
    }

    HusAutoComplete {
        id: search
        y: 60
        width: 370
        height: 40
        animationEnabled: false
        property var searched: []
        property var chosen: null
        onSearch: input => {
            searched.push(input);
            options = input.length === 0 ? [] : catalogue.filter(name => name.indexOf(input) >= 0)
                                                            .map((name, i) => ({ label: name + "\t作者: kx", value: i }));
        }
        onSelect: option => chosen = option
        readonly property var catalogue: ["KXCore", "KXMarket", "Backup"]
    }

    TestCase {
        name: "Controls"
        when: windowShown

        function test_select_takes_first_line_and_reports_changes() {
            compare(select.seen[0], 0, "the first line is taken while the chooser is built");
            compare([select.currentText, select.currentValue], ["高速线路", "https://a.example"]);

            mouseClick(select);
            tryVerify(() => select.popup.opened);
            const list = select.popup.contentItem;
            tryVerify(() => list.itemAtIndex(1) !== null);
            mouseClick(list.itemAtIndex(1));
            compare([select.currentText, select.currentValue], ["备用线路", "https://b.example"]);
            compare(select.seen[select.seen.length - 1], 1);

            // A new model starts again at its first item.
            select.model = [{ label: "127.0.0.9", value: 0 }];
            compare(select.currentText, "127.0.0.9");
        }

        function test_autocomplete_search_and_choice() {
            search.forceActiveFocus();
            search.clear();
            keyClick("K");
            keyClick("X");
            compare(search.searched[search.searched.length - 1], "KX");
            compare(search.filteredOptions.length, 2);
            tryVerify(() => search.popup.opened);

            const list = search.popup.contentItem;
            tryVerify(() => list.itemAtIndex(1) !== null);
            mouseClick(list.itemAtIndex(1));
            compare([search.chosen.label, search.chosen.value, search.text], ["KXMarket\t作者: kx", 1, "KXMarket\t作者: kx"]);
            tryVerify(() => !search.popup.visible);

            // Clearing reports an empty search, which empties the suggestions.
            search.clearInput();
            search.textEdited();
            compare(search.searched[search.searched.length - 1], "");
            compare(search.filteredOptions.length, 0);
        }

        function test_autocomplete_keyboard_choice() {
            search.clear();
            search.forceActiveFocus();
            keyClick("B");
            tryVerify(() => search.popup.opened);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Return);
            compare(search.chosen.label, "Backup\t作者: kx");
        }
    }
}
