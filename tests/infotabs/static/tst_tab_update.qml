import QtQuick 2.15
import QtTest 1.2
import "../../common/Items.js" as Items

Item {
    // Tall enough for every entry of the timeline to be laid out at once.
    width: 860
    height: 2400

    Loader {
        id: loader
        anchors.fill: parent
        source: "qrc:/Page/Tab_update.qml"
    }

    TestCase {
        name: "TabUpdate"
        when: windowShown

        function shownTexts(test) {
            tryCompare(loader, "status", Loader.Ready)
            const timeline = findChild(loader.item, "updateTimeline")
            waitForRendering(timeline)
            return Items.all(timeline, t => t.lineCount !== undefined && t.visible && test(t.text))
        }

        function test_twelve_entries_oldest_first() {
            const dates = shownTexts(text => /^\d{4}-\d{2}-\d{2}$/.test(text))
            dates.sort((a, b) => a.mapToItem(loader, 0, 0).y - b.mapToItem(loader, 0, 0).y)
            compare(dates.length, 12)
            compare(dates[0].text, "2025-03-21")
            compare(dates[11].text, "2025-09-23")
            for (let i = 1; i < dates.length; ++i)
                verify(dates[i - 1].text < dates[i].text, dates[i - 1].text + " before " + dates[i].text)
        }

        function test_line_breaks_are_kept() {
            const entry = shownTexts(text => text.startsWith("添加了单个插件的卸载按钮\n"))
            compare(entry.length, 1)
            compare(entry[0].lineCount, 4)
        }
    }
}
