import QtQuick 2.15
import QtTest 1.2
import KxtTest 1.0
import "qrc:/MyGlobals" 1.0
import "../../common/Items.js" as Items
import "../../console/common"

// The home and sponsorship tabs, each loaded into a real window, against the simulator.
Item {
    id: window
    width: 860
    height: 900

    Loader {
        id: loader
        anchors.fill: parent
    }

    SimTestCase {
        name: "ServiceTabs"
        when: windowShown

        readonly property string adPath: "/kxt/getadvertisement"
        property int seq: 0

        function init() {
            seq = resetAndSignIn()
            GlobalVars.serverAdvertisement = null
            OpenedUrls.clear()
        }

        function cleanup() {
            loader.source = ""
        }

        function show(tab) {
            loader.source = ""
            loader.source = "qrc:/Page/" + tab
            tryCompare(loader, "status", Loader.Ready)
            return loader.item
        }

        function agree() {
            const p = findChild(loader.item, "termsPopup")
            tryCompare(p, "opened", true)
            const button = Items.withText(p.contentItem, "我同意")
            verify(button)
            mouseClick(button)
            tryCompare(p, "visible", false)
        }

        function clickSlide() {
            const carousel = findChild(loader.item, "bannerCarousel")
            mouseClick(carousel, carousel.width / 2, carousel.height / 2)
            return carousel
        }

        // An empty list is an answer too: cached, never asked for again; an answer that
        // comes after the tab is gone still fills the cache.
        function test_advertisements_are_fetched_once_and_reused_data() {
            return [
                { tag: "sample list", count: 3 },
                { tag: "empty list", count: 0 },
                { tag: "answer after leaving", count: 3, leave: true }
            ]
        }

        function test_advertisements_are_fetched_once_and_reused(data) {
            if (data.count === 0)
                done(sim.control("/config", { advertisements: [] }))
            if (data.leave)
                injectFault({ path: adPath, delay_ms: 700, times: 1 })
            show("Tab_home.qml")
            if (data.leave)
                loader.source = ""
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            const slides = GlobalVars.serverAdvertisement
            compare(slides.length, data.count)
            if (data.count)
                compare([slides[0].img, slides[0].link, slides[0].str], [sim.baseUrl + "/static/banners/1.png",
                         "https://docs.kxt-dev.example/quickstart", "KX-T 插件框架 1.6 正式发布：启动速度提升 40%"])
            show("Tab_home.qml")
            compare(findChild(loader.item, "bannerCarousel").initModel, slides)
            wait(300)
            compare(requestsSince(seq, adPath).length, 1, "the second home tab asks nothing")
        }

        // After a failure the placeholder slide shows (it has no link) and the next
        // home tab asks again; a real slide opens its own link.
        function test_failed_request_keeps_placeholder_and_asks_again() {
            injectFault({ path: adPath, status: 500, times: 1 })
            show("Tab_home.qml")
            tryVerify(() => messages.shown.length > 0, 5000)
            verify(GlobalVars.serverAdvertisement === null, "nothing cached after a failure")
            compare(findChild(loader.item, "bannerCarousel").initModel[0].img, "qrc:/image/a1.png")
            agree()
            clickSlide()
            wait(100)
            compare(OpenedUrls.urls, [], "the placeholder slide has no link")

            show("Tab_home.qml")
            tryVerify(() => GlobalVars.serverAdvertisement !== null, 5000)
            compare(requestsSince(seq, adPath).length, 2)
            agree()
            const carousel = clickSlide()
            tryVerify(() => OpenedUrls.urls.length === 1, 3000)
            compare(OpenedUrls.urls[0], GlobalVars.serverAdvertisement[carousel.currentIndex].link)
        }

        // Every home tab opens the whole declaration, which only its button closes.
        function test_terms_popup_stays_until_agreed() {
            const p = findChild(show("Tab_home.qml"), "termsPopup")
            tryCompare(p, "opened", true)
            keyClick(Qt.Key_Escape)
            mouseClick(window, 5, 5)
            verify(p.visible, "still open after Esc and an outside click")
            const text = findChild(p.contentItem, "termsText").text
            verify(text.indexOf("kxt管理工具使用申明及免责条款") === 0, text.slice(0, 40))
            verify(text.indexOf("生效日期：") > text.length - 40, text.slice(-40))
            agree()
        }

        // An order hands the payment page to the browser; a refused one shows the
        // service's text and opens nothing.
        function test_offer_sends_channel_and_amount_data() {
            return [
                { tag: "大杯咖啡 微信", offer: "大杯咖啡", channel: "微信", type: 1, price: 200 },
                { tag: "大杯咖啡 支付宝", offer: "大杯咖啡", channel: "支付宝", type: 2, price: 200 },
                { tag: "小杯咖啡 支付宝", offer: "小杯咖啡", channel: "支付宝", type: 2, price: 10 },
                { tag: "中杯咖啡 微信", offer: "中杯咖啡", channel: "微信", type: 1, price: 50 },
                { tag: "超大杯咖啡 支付宝", offer: "超大杯咖啡", channel: "支付宝", type: 2, price: 500 },
                { tag: "refused", offer: "小杯咖啡", channel: "微信", type: 1, price: 10, refusal: "支付通道维护中，请稍后再试" }
            ]
        }

        function test_offer_sends_channel_and_amount(data) {
            if (data.refusal)
                done(sim.control("/config", { payment_error: data.refusal }))
            show("Tab_support.qml")
            mouseClick(Items.withText(findChild(loader.item, "offer_" + data.offer), data.channel))
            // The page is opened or the text shown in the one answer's handler.
            tryVerify(() => OpenedUrls.urls.length + messages.shown.length > 0, 5000)
            const orders = requestsSince(seq, "/zf/create")
            compare(orders.map(o => [o.body.type, o.body.price]), [[data.type, data.price]])
            compare(messages.texts("error"), data.refusal ? ["请求失败!" + data.refusal] : [])
            compare(OpenedUrls.urls.length, data.refusal ? 0 : 1)
            if (!data.refusal)
                verify(/^https.*\/zf\/pay\//.test(OpenedUrls.urls[0]), OpenedUrls.urls[0])
        }

        function test_card_grows_while_hovered() {
            const card = findChild(show("Tab_support.qml"), "offer_中杯咖啡")
            mouseMove(card, card.width / 2, 20)
            tryCompare(card, "scale", 1.01)
            mouseMove(loader.item, 2, 2)
            tryCompare(card, "scale", 1.0)
        }
    }
}
