import QtQuick 2.15
import QtTest 1.2
import KxtTest 1.0
import "../../common/Items.js" as Items

// The update log and about tabs, each loaded into a real window tall enough for every
// entry of the update log to be laid out at once.
Item {
    id: window
    width: 860
    height: 2400

    Loader {
        id: loader
        anchors.fill: parent
    }

    // The background shader alone, fully opaque, so its pixels can be read.
    ShaderEffect {
        id: probe
        width: 320
        height: 200
        visible: false
        property vector3d iResolution: Qt.vector3d(width, height, 0)
        property real iTime: 0
        vertexShader: "qrc:/shaders/effect2.vert"
        fragmentShader: "qrc:/shaders/effect2.frag"
    }

    TestCase {
        name: "StaticTabs"
        when: windowShown

        function init() {
            OpenedUrls.clear()
        }

        function show(tab) {
            loader.source = "qrc:/Page/" + tab
            tryCompare(loader, "status", Loader.Ready)
            return loader.item
        }

        function cleanup() {
            loader.source = ""
        }

        function test_clock_starts_at_zero_and_advances() {
            const bg = findChild(show("Tab_about.qml"), "aboutBackground")
            verify(bg.iTime < 0.5, "a new page starts its clock near 0, got " + bg.iTime)
            const before = bg.iTime
            tryVerify(() => bg.iTime > before, 5000, "the clock advances while the page exists")
            compare(bg.iResolution, Qt.vector3d(loader.item.width, loader.item.height, 0))
            tryCompare(bg, "status", ShaderEffect.Compiled, 5000, bg.log)
        }

        function frame(time) {
            probe.iTime = time
            return grabImage(probe)
        }

        // A frame depends on the time alone, and every colour the shader blends lies
        // between its four palette colours, in a gradient rather than one flat colour.
        function test_shader_frames() {
            probe.visible = true
            const rest = frame(0)
            verify(frame(0).equals(rest), "frames at the same time are the same picture")
            const later = frame(3.7)
            probe.visible = false
            verify(!later.equals(rest), "the picture changes with the time")
            const low = [0.192, 0.384, 0.623], high = [0.957, 0.804, 0.953]
            for (const image of [rest, later]) {
                const seen = [[255, 0], [255, 0], [255, 0]]
                for (let y = 5; y < probe.height; y += 15) {
                    for (let x = 5; x < probe.width; x += 15) {
                        [image.red(x, y), image.green(x, y), image.blue(x, y)].forEach((got, c) => {
                            verify(got >= low[c] * 255 - 3 && got <= high[c] * 255 + 3, "pixel " + x + "," + y + " channel " + c + " is " + got)
                            seen[c] = [Math.min(seen[c][0], got), Math.max(seen[c][1], got)]
                        })
                    }
                }
                verify(seen.some(range => range[1] - range[0] > 40), "a gradient, got " + JSON.stringify(seen))
            }
        }

        function test_links_open_in_browser_data() {
            return [
                { tag: "documentation", text: "点击链接跳转开发文档", url: "https://api.kxt.example/docs/#/" },
                { tag: "chat group", text: "点击链接加入群聊【KXT交流群】", url: "https://qm.qq.example/" }
            ]
        }

        function test_links_open_in_browser(data) {
            const line = Items.first(show("Tab_about.qml"), item => item.text !== undefined && String(item.text).indexOf(data.text) !== -1)
            mouseClick(line, 20, line.height / 2)
            tryVerify(() => OpenedUrls.urls.length === 1)
            verify(OpenedUrls.urls[0].indexOf(data.url) === 0, OpenedUrls.urls[0])
        }

        function test_donation_code() {
            const code = findChild(show("Tab_about.qml"), "donationCode")
            tryCompare(code, "status", Image.Ready)
            compare([Math.round(code.width), Math.round(code.height)], [523, 433], "full size where it fits")
        }

        function shownTexts(test) {
            const timeline = findChild(show("Tab_update.qml"), "updateTimeline")
            // A fresh list lays its entries out when the next frame is prepared.
            Items.first(timeline, item => typeof item.forceLayout === "function").forceLayout()
            return Items.all(timeline, t => t.lineCount !== undefined && t.visible && test(t.text))
        }

        function test_twelve_entries_oldest_first() {
            const dates = shownTexts(text => /^\d{4}-\d{2}-\d{2}$/.test(text))
            dates.sort((a, b) => a.mapToItem(loader, 0, 0).y - b.mapToItem(loader, 0, 0).y)
            compare(dates.length, 12)
            compare(dates[0].text, "2025-03-21")
            compare(dates[11].text, "2025-09-23")
        }

        function test_line_breaks_are_kept() {
            const entry = shownTexts(text => text.startsWith("添加了单个插件的卸载按钮\n"))
            compare(entry.length, 1)
            compare(entry[0].lineCount, 4)
        }
    }
}
