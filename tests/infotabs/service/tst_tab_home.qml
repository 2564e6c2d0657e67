import QtQuick 2.15
import QtTest 1.2
import KxtTest 1.0
import "qrc:/MyGlobals" 1.0
import "../../common/Items.js" as Items
import "../../console/common"

Item {
    id: window
    width: 860
    height: 730

    Loader {
        id: loader
        anchors.fill: parent
    }

    MessageRecorder { id: messages }

    SimTestCase {
        name: "TabHome"
        when: windowShown

        readonly property string adPath: "/kxt/getadvertisement"
        property int seq: 0

        function init() {
            seq = resetAndSignIn(messages)
            GlobalVars.serverAdvertisement = null
            OpenedUrls.clear()
        }

        function cleanup() {
            loader.source = ""
        }

        function showHome() {
            loader.source = ""
            loader.source = "qrc:/Page/Tab_home.qml"
            tryCompare(loader, "status", Loader.Ready)
            return loader.item
        }

        function popup() {
            return findChild(loader.item, "termsPopup")
        }

        function agree() {
            const p = popup()
            tryCompare(p, "opened", true)
            const button = Items.withText(p.contentItem, "我同意")
            verify(button)
            mouseClick(button)
            tryCompare(p, "visible", false)
        }

        function slideCentre() {
            const carousel = findChild(loader.item, "bannerCarousel")
            return { item: carousel, x: carousel.width / 2, y: carousel.height / 2 }
        }

        // An empty list is an answer too: cached, never asked for again.
        function test_advertisements_are_fetched_once_and_reused_data() {
            return [{ tag: "sample list", empty: false }, { tag: "empty list", empty: true }]
        }

        function test_advertisements_are_fetched_once_and_reused(data) {
            if (data.empty)
                done(sim.control("/config", { advertisements: [] }))
            showHome()
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            const slides = GlobalVars.serverAdvertisement
            compare(slides.length, data.empty ? 0 : 3)
            if (!data.empty) {
                compare(slides[0].img, sim.baseUrl + "/static/banners/1.png")
                compare(slides[0].link, "https://docs.kxt-dev.example/quickstart")
                compare(slides[0].str, "KX-T 插件框架 1.6 正式发布：启动速度提升 40%")
                compare(slides[2].link, "https://docs.kxt-dev.example/gateway")
            }
            compare(findChild(loader.item, "bannerCarousel").initModel, slides)

            showHome()
            compare(findChild(loader.item, "bannerCarousel").initModel, slides)
            wait(300)
            compare(requestsSince(seq, adPath).length, 1, "the second home tab asks nothing")
            compare(GlobalVars.serverAdvertisement, slides)
        }

        function test_failed_request_keeps_placeholder_and_asks_again() {
            injectFault({ path: adPath, status: 500, times: 1 })
            showHome()
            tryVerify(() => messages.shown.length > 0, 5000)
            verify(GlobalVars.serverAdvertisement === null, "nothing cached after a failure")
            compare(findChild(loader.item, "bannerCarousel").initModel[0].img, "qrc:/image/a1.png")

            agree()
            const centre = slideCentre()
            mouseClick(centre.item, centre.x, centre.y)
            wait(100)
            compare(OpenedUrls.urls, [], "the placeholder slide has no link")

            showHome()
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            compare(GlobalVars.serverAdvertisement.length, 3)
            compare(requestsSince(seq, adPath).length, 2)
        }

        function test_answer_after_leaving_the_tab_still_fills_the_cache() {
            injectFault({ path: adPath, delay_ms: 700, times: 1 })
            showHome()
            loader.source = ""
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            compare(GlobalVars.serverAdvertisement.length, 3)
        }

        function test_slide_click_opens_its_link() {
            showHome()
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            agree()
            const carousel = findChild(loader.item, "bannerCarousel")
            const centre = slideCentre()
            mouseClick(centre.item, centre.x, centre.y)
            tryVerify(() => OpenedUrls.urls.length === 1, 3000)
            const links = GlobalVars.serverAdvertisement.map(s => s.link)
            verify(links.indexOf(OpenedUrls.urls[0]) !== -1, OpenedUrls.urls[0])
            compare(OpenedUrls.urls[0], links[carousel.currentIndex])
        }

        function test_terms_popup_at_every_creation() {
            for (let round = 0; round < 2; ++round) {
                showHome()
                const p = popup()
                tryCompare(p, "opened", true)
                keyClick(Qt.Key_Escape)
                mouseClick(window, 5, 5)
                verify(p.visible, "still open after Esc and an outside click")
                const text = findChild(p.contentItem, "termsText").text
                // The whole declaration, from its title to its closing date.
                verify(text.indexOf("kxt管理工具使用申明及免责条款") === 0, text.slice(0, 40))
                verify(text.indexOf("生效日期：") > text.length - 40, text.slice(-40))
                agree()
            }
        }
    }
}
