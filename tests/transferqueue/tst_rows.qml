import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0

Item {
    id: root
    width: 800
    height: 200

    TestCase {
        name: "DownloadItemDelegate"
        when: windowShown

        property Component rowComponent: Qt.createComponent("qrc:/Component/DownloadItemDelegate.qml")

        function makeRow(values) {
            const row = createTemporaryObject(rowComponent, root, Object.assign({ index: 0, fileName: "插件甲:core.jar", progress: 0,
                remainingTime: 0, status: 0, error: 0, cancelled: false, speed: 0, remaining: -1, width: 500 }, values));
            verify(row, rowComponent.errorString());
            return row;
        }

        // width: of the fill, as a share of the row; an empty text: hidden; elapsed: seconds
        // since the task was made, -1 for no creation time.
        function test_fill_and_labels_data() {
            return [
                { tag: "45.6 per cent, totals of time", progress: 45.6, status: 1, speed: 1536, remaining: 75, width: 0.456,
                  colour: "#1677ff", percent: "45.6%", state: "下载中", speedText: "1.5 KB/s  剩余 1:15", action: "取消",
                  elapsed: 3725, time: "1:62:3725" },
                { tag: "waiting", progress: 0, status: 0, width: 0, colour: "#1677ff", percent: "0%", state: "等待中", action: "取消",
                  elapsed: 75, time: "0:1:75" },
                { tag: "uploading, unknown total, just added", progress: 12.5, status: 2, speed: 3.5 * 1048576, width: 0.125,
                  colour: "#1677ff", percent: "12.5%", state: "上传中", speedText: "3.5 MB/s", action: "取消", elapsed: 0, time: "0:0:0" },
                { tag: "over 100 is capped, no speed yet, no creation time", progress: 150, status: 1, width: 1, colour: "#1677ff",
                  percent: "100%", state: "下载中", action: "取消", elapsed: -1, time: "" },
                { tag: "over an hour left", progress: 1, status: 1, speed: 100, remaining: 3725, width: 0.01, colour: "#1677ff",
                  percent: "1%", state: "下载中", speedText: "100 B/s  剩余 1:02:05", action: "取消", elapsed: 1, time: "0:0:1" },
                { tag: "completed fills the row", progress: 20, status: 3, width: 1, colour: "#54a334", action: "", elapsed: 5,
                  time: "已完成" },
                { tag: "failed fills red", progress: 20, status: 3, error: 1, width: 1, colour: "#ff3d38", action: "重试", elapsed: 5,
                  time: "失败！" },
                { tag: "cancelled", progress: 20, status: 3, error: 1, cancelled: true, width: 1, colour: "#ff3d38", action: "重试",
                  elapsed: 5, time: "已取消" }
            ];
        }

        function test_fill_and_labels(data) {
            const row = makeRow({ progress: data.progress, status: data.status, error: data.error || 0, speed: data.speed || 0,
                                  remaining: data.remaining || -1, cancelled: !!data.cancelled });
            // Set from the row's own clock so no second boundary can fall in between.
            row.remainingTime = data.elapsed < 0 ? 0 : row.now - data.elapsed;
            compare(findChild(row, "time").text, data.time);
            const fill = findChild(row, "fill");
            tryVerify(() => Math.abs(fill.width - data.width * row.width) < 0.01, 2000,
                      "fill " + fill.width + " of " + row.width);
            compare(String(fill.children[0].color), data.colour);
            compare(findChild(row, "state").text, data.state || "");
            for (const [name, text] of [["percent", data.percent], ["speed", data.speedText], ["action", data.action]]) {
                compare(findChild(row, name).visible, !!text, name);
                if (text)
                    compare(findChild(row, name).text, text);
            }
        }

        function test_fill_width_is_animated() {
            const row = makeRow({ progress: 0, status: 1 });
            const fill = findChild(row, "fill");
            // Every width the fill passes through; a loaded machine may draw few of them.
            const widths = [];
            fill.widthChanged.connect(() => widths.push(fill.width));
            row.progress = 80;
            tryCompare(fill, "width", 400, 5000);
            verify(widths.some(w => w > 0 && w < 400), "widths on the way " + JSON.stringify(widths));
        }

        function test_background_follows_row_and_theme_data() {
            return [
                { tag: "light even", dark: false, index: 0, colour: "#eeeeee", radius: 8 },
                { tag: "light odd", dark: false, index: 1, colour: "#dddddd", radius: 0 },
                { tag: "dark even", dark: true, index: 2, colour: "#333333", radius: 0 },
                { tag: "dark odd", dark: true, index: 3, colour: "#444444", radius: 0 }
            ];
        }

        function test_background_follows_row_and_theme(data) {
            const wasDark = HusTheme.isDark;
            HusTheme.isDark = data.dark;
            const row = makeRow({ index: data.index });
            const background = findChild(row, "background");
            compare(String(background.color), data.colour);
            compare(background.radius, data.radius);
            HusTheme.isDark = wasDark;
        }

        function test_long_names_are_elided_in_the_middle_and_grow_back() {
            const row = makeRow({ fileName: "很长的插件名称".repeat(20) + ":file.jar", status: 1 });
            const name = findChild(row, "name");
            verify(name.width < row.width, "name " + name.width);
            verify(name.truncated);
            verify(findChild(row, "state").x + findChild(row, "state").width <= row.width);
            row.fileName = "经济系统:Proj.ifo";
            row.width = 40;
            tryVerify(() => name.truncated, 5000);
            row.width = 600;
            tryVerify(() => !name.truncated, 5000);
        }
    }
}
