import QtQuick 2.15
import QtTest 1.2

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

        function visibleTexts(item, out) {
            if (!item.visible)
                return out
            if (item.text !== undefined && item.lineCount !== undefined && item.text !== "")
                out.push(item)
            for (let i = 0; i < item.children.length; ++i)
                visibleTexts(item.children[i], out)
            return out
        }

        function sceneY(item) {
            return item.mapToItem(loader, 0, 0).y
        }

        function test_twelve_entries_oldest_first() {
            tryCompare(loader, "status", Loader.Ready)
            const timeline = findChild(loader.item, "updateTimeline")
            verify(timeline)
            waitForRendering(timeline)
            const dates = visibleTexts(timeline, []).filter(t => /^\d{4}-\d{2}-\d{2}$/.test(t.text))
            dates.sort((a, b) => sceneY(a) - sceneY(b))
            compare(dates.length, 12)
            compare(dates[0].text, "2025-03-21")
            compare(dates[11].text, "2025-09-23")
            for (let i = 1; i < dates.length; ++i)
                verify(dates[i - 1].text < dates[i].text, dates[i - 1].text + " before " + dates[i].text)
        }

        function test_line_breaks_are_kept_data() {
            return [
                { tag: "two lines", text: "初版KX-T后台管理工具发布\n由WinUI3编写", lines: 2 },
                { tag: "four lines", text: "添加了单个插件的卸载按钮\n优化添加服务器流程\n增加国内线路\n在程序标题栏显示当前程序版本", lines: 4 },
                { tag: "one line", text: "修复java插件安装的问题", lines: 1 }
            ]
        }

        function test_line_breaks_are_kept(data) {
            tryCompare(loader, "status", Loader.Ready)
            const timeline = findChild(loader.item, "updateTimeline")
            const matches = visibleTexts(timeline, []).filter(t => t.text === data.text)
            compare(matches.length, 1, "the entry is shown once with its exact text")
            compare(matches[0].lineCount, data.lines)
        }
    }
}
