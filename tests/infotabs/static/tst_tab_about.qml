import QtQuick 2.15
import QtTest 1.2
import KxtTest 1.0

Item {
    id: window
    width: 860
    height: 730

    Loader {
        id: loader
        anchors.fill: parent
    }

    // The background shader alone, fully opaque, so its pixels can be checked
    // against the colours the algorithm gives.
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
        name: "TabAbout"
        when: windowShown

        function init() {
            OpenedUrls.clear()
            loader.source = "qrc:/Page/Tab_about.qml"
            tryCompare(loader, "status", Loader.Ready)
        }

        function cleanup() {
            loader.source = ""
        }

        function background() {
            return findChild(loader.item, "aboutBackground")
        }

        function findText(item, text) {
            if (item.text !== undefined && String(item.text).indexOf(text) !== -1)
                return item
            for (let i = 0; i < item.children.length; ++i) {
                const found = findText(item.children[i], text)
                if (found)
                    return found
            }
            return null
        }

        function test_clock_starts_at_zero_and_advances() {
            const bg = background()
            verify(bg.iTime < 0.5, "a new page starts its clock near 0, got " + bg.iTime)
            const before = bg.iTime
            wait(300)
            verify(bg.iTime > before, "the clock advances while the page exists")
            compare(bg.iResolution, Qt.vector3d(loader.item.width, loader.item.height, 0))
            compare(bg.opacity, 0.3)
            compare(bg.status, ShaderEffect.Compiled, bg.log)
        }

        function test_background_is_still_at_time_zero_and_moves_later() {
            const bg = background()
            findChild(loader.item, "aboutClock").stop()
            bg.iTime = 0
            wait(50)
            const first = grabImage(bg)
            wait(200)
            const second = grabImage(bg)
            verify(first.equals(second), "frames at iTime 0 are the same picture")
            bg.iTime = 4
            wait(50)
            const later = grabImage(bg)
            verify(!first.equals(later), "the picture changes with iTime")
        }

        // Reference for the shader's colour at item pixel (x, y), in the same steps
        // the shader takes; the hash inputs are rounded to single precision as the GPU sees them.
        function expectedColour(x, y, w, h, time) {
            const f32 = Math.fround
            function fract(v) { return v - Math.floor(v) }
            function hash(px, py) {
                const a = f32(px * f32(2127.1) + py * f32(81.17))
                const b = f32(px * f32(1269.5) + py * f32(283.37))
                return [fract(Math.sin(a) * 43758.5453), fract(Math.sin(b) * 43758.5453)]
            }
            function noise(px, py) {
                const ix = Math.floor(px), iy = Math.floor(py)
                const fx = px - ix, fy = py - iy
                const ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy)
                function corner(cx, cy) {
                    const g = hash(ix + cx, iy + cy)
                    return (-1 + 2 * g[0]) * (fx - cx) + (-1 + 2 * g[1]) * (fy - cy)
                }
                const bottom = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * ux
                const top = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * ux
                return 0.5 + 0.5 * (bottom + (top - bottom) * uy)
            }
            function rotate(vx, vy, degrees) {
                const a = degrees * Math.PI / 180
                return [vx * Math.cos(a) - vy * Math.sin(a), vx * Math.sin(a) + vy * Math.cos(a)]
            }
            function smooth(e0, e1, v) {
                const s = Math.min(Math.max((v - e0) / (e1 - e0), 0), 1)
                return s * s * (3 - 2 * s)
            }
            function mix(a, b, k) { return [0, 1, 2].map(i => a[i] + (b[i] - a[i]) * k) }

            const ratio = w / h
            let tx = x / w - 0.5, ty = y / h - 0.5
            const d = noise(time * 0.1, tx * ty)
            ty /= ratio
            const r = rotate(tx, ty, (d - 0.5) * 720 + 180)
            tx = r[0]; ty = r[1] * ratio
            const s = time * 2
            tx += Math.sin(ty * 5 + s) / 30
            ty += Math.sin(tx * 7.5 + s) / 15
            const k = smooth(-0.3, 0.2, rotate(tx, ty, -5)[0])
            const layer1 = mix([0.957, 0.804, 0.623], [0.192, 0.384, 0.933], k)
            const layer2 = mix([0.910, 0.510, 0.8], [0.350, 0.71, 0.953], k)
            return mix(layer1, layer2, smooth(0.5, -0.3, ty))
        }

        function test_shader_colours_data() {
            return [ { tag: "at rest", time: 0 }, { tag: "after a while", time: 3.7 } ]
        }

        function test_shader_colours(data) {
            probe.visible = true
            probe.iTime = data.time
            wait(50)
            const image = grabImage(probe)
            let worst = 0
            for (let y = 10; y < probe.height; y += 45) {
                for (let x = 10; x < probe.width; x += 50) {
                    // Pixel centres: the fragment at pixel (x, y) is shaded at (x + 0.5, y + 0.5).
                    const want = expectedColour(x + 0.5, y + 0.5, probe.width, probe.height, data.time)
                    const got = [image.red(x, y), image.green(x, y), image.blue(x, y)]
                    for (let c = 0; c < 3; ++c)
                        worst = Math.max(worst, Math.abs(got[c] - want[c] * 255))
                }
            }
            probe.visible = false
            verify(worst <= 6, "largest channel difference from the reference: " + worst)
        }

        function test_links_open_in_browser_data() {
            return [
                { tag: "documentation", text: "点击链接跳转开发文档", url: "https://api.kxt.example/docs/#/" },
                { tag: "chat group", text: "点击链接加入群聊【KXT交流群】", url: "https://qm.qq.com/" }
            ]
        }

        function test_links_open_in_browser(data) {
            const line = findText(loader.item, data.text)
            verify(line, "line with " + data.text)
            mouseClick(line, 20, line.height / 2)
            tryVerify(() => OpenedUrls.urls.length === 1)
            verify(OpenedUrls.urls[0].indexOf(data.url) === 0, OpenedUrls.urls[0])
        }

        function test_lines_and_donation_code() {
            for (const text of ["KX-T客户端插件管理工具", "作者: ", "联系QQ：", "开发文档：", "QQ交流群：", "捐赠："])
                verify(findText(loader.item, text), text)
            const code = findChild(loader.item, "donationCode")
            tryCompare(code, "status", Image.Ready)
            fuzzyCompare(code.width, 523.27, 0.01)
            fuzzyCompare(code.height, 432.82, 0.01)
        }
    }
}
