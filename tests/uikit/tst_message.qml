import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import "../common/Items.js" as Items

Item {
    id: root
    width: 600
    height: 400

    HusMessage {
        id: message
        width: parent.width
        animationEnabled: false
    }

    TestCase {
        name: "HusMessage"
        when: windowShown

        function cleanup() {
            message.clear();
        }

        // The notices on screen, top to bottom: their keys' texts and y.
        function shownNotices() {
            const column = message.children[0];
            const found = [];
            for (let i = 0; i < column.children.length; ++i) {
                const notice = column.children[i];
                if (notice.message !== undefined && notice.visible)
                    found.push({ text: notice.message, y: notice.y });
            }
            return found.sort((a, b) => a.y - b.y);
        }

        function test_kinds_data() {
            return [
                { tag: "success", kind: HusMessage.Type_Success, colour: HusTheme.Primary.colorSuccess },
                { tag: "error", kind: HusMessage.Type_Error, colour: HusTheme.Primary.colorError },
                { tag: "warning", kind: HusMessage.Type_Warning, colour: HusTheme.Primary.colorWarning },
                { tag: "info", kind: HusMessage.Type_Message, colour: HusTheme.Primary.colorInfo }
            ];
        }

        function test_kinds(data) {
            message[data.tag]("请求失败，状态码: " + data.tag);
            compare(message.count, 1);
            compare(message.get(0).type, data.kind);
            compare(message.get(0).message, "请求失败，状态码: " + data.tag);
            // Each kind has its own icon in its own colour.
            const icon = Items.first(message, item => item.hasOwnProperty("iconSource") && item.hasIcon);
            verify(icon !== null, "the notice shows an icon");
            compare(String(icon.colorIcon), String(data.colour));
        }

        function test_notices_stack_in_order_and_leave_by_themselves() {
            message.success("第一条", 1500);
            message.error("第二条", 5000);
            message.warning("第三条", 5000);
            compare(message.count, 3);
            waitForRendering(message);
            let shown = shownNotices();
            compare(shown.map(n => n.text), ["第一条", "第二条", "第三条"]);
            verify(shown[0].y < shown[1].y && shown[1].y < shown[2].y, "each notice sits under the previous one");
            tryCompare(message, "count", 2, 5000);
            compare(message.get(0).message, "第二条");
            tryVerify(() => shownNotices().length === 2);
            shown = shownNotices();
            compare(shown[0].text, "第二条");
        }
    }
}
