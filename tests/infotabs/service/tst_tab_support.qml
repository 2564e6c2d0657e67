import QtQuick 2.15
import QtTest 1.2
import KxtTest 1.0
import "../../common/Items.js" as Items
import "../../console/common"

Item {
    width: 860
    height: 900

    Loader {
        id: loader
        anchors.fill: parent
    }

    MessageRecorder { id: messages }

    SimTestCase {
        name: "TabSupport"
        when: windowShown

        property int seq: 0

        function init() {
            seq = resetAndSignIn(messages)
            OpenedUrls.clear()
            loader.source = "qrc:/Page/Tab_support.qml"
            tryCompare(loader, "status", Loader.Ready)
        }

        function cleanup() {
            loader.source = ""
        }

        function payButton(offer, channel) {
            const button = Items.withText(findChild(loader.item, "offer_" + offer), channel)
            verify(button, channel + " on " + offer)
            return button
        }

        function test_offer_sends_channel_and_amount_data() {
            return [
                { tag: "大杯咖啡 微信", offer: "大杯咖啡", channel: "微信", type: 1, price: 200 },
                { tag: "大杯咖啡 支付宝", offer: "大杯咖啡", channel: "支付宝", type: 2, price: 200 },
                { tag: "小杯咖啡 支付宝", offer: "小杯咖啡", channel: "支付宝", type: 2, price: 10 },
                { tag: "中杯咖啡 微信", offer: "中杯咖啡", channel: "微信", type: 1, price: 50 },
                { tag: "超大杯咖啡 支付宝", offer: "超大杯咖啡", channel: "支付宝", type: 2, price: 500 }
            ]
        }

        function test_offer_sends_channel_and_amount(data) {
            const button = payButton(data.offer, data.channel)
            mouseClick(button)
            tryVerify(() => OpenedUrls.urls.length === 1, 5000, "the payment page is handed to the browser")
            const orders = requestsSince(seq, "/zf/create")
            compare(orders.map(o => [o.body.type, o.body.price]), [[data.type, data.price]])
            const page = OpenedUrls.urls[0]
            verify(page.indexOf("https") === 0 && page.indexOf("/zf/pay/") !== -1, page)
            compare(messages.texts("error"), [])
        }

        function test_refused_order_shows_the_service_text() {
            done(sim.control("/config", { payment_error: "支付通道维护中，请稍后再试" }))
            mouseClick(payButton("小杯咖啡", "支付宝"))
            tryVerify(() => messages.shown.length > 0, 5000)
            compare(messages.texts("error"), ["请求失败!支付通道维护中，请稍后再试"])
            wait(100)
            compare(OpenedUrls.urls.length, 0, "a text answer is not opened")
        }

        function test_card_grows_while_hovered() {
            const card = findChild(loader.item, "offer_中杯咖啡")
            mouseMove(card, card.width / 2, 20)
            tryCompare(card, "scale", 1.01)
            mouseMove(loader.item, 2, 2)
            tryCompare(card, "scale", 1.0)
        }
    }
}
