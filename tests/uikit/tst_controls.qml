import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import "../common/Items.js" as Items

Item {
    id: root
    width: 900
    height: 700

    HusTabView {
        id: tabs
        width: 400
        height: 150
        animationEnabled: false
        initModel: [
            { key: "1", iconSource: HusIcon.CreditCardOutlined, title: "服务端插件", body: "server" },
            { key: "2", iconSource: HusIcon.CreditCardOutlined, title: "双端插件", body: "dual" }
        ]
        contentDelegate: Text { objectName: "tabPage"; text: model.body }
    }

    HusMenu {
        id: menu
        y: 160
        width: 220
        height: 540
        // Rows are clicked right after they appear, not after the expand animation.
        animationEnabled: false
        initModel: [
            { label: "首页", iconSource: HusIcon.HomeOutlined, source: "Tab_home.qml" },
            { type: "divider" },
            { label: "我的服务器", iconSource: HusIcon.CloudServerOutlined },
            { label: "关于", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_about.qml" }
        ]
    }

    HusAutoComplete {
        id: search
        x: 240
        y: 160
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

    HusMessage {
        id: message
        x: 450
        width: 450
        animationEnabled: false
    }

    Item {
        id: host
        x: 450
        y: 260
        width: 400
        height: 300

        HusPopup {
            id: popup
            width: 200
            height: 150
            movable: true
            resizable: true
            minimumWidth: 120
            minimumHeight: 100
            animationEnabled: false
            closePolicy: HusPopup.NoAutoClose
            contentItem: Item {}
        }
    }

    SignalSpy { id: tabClicks; target: tabs; signalName: "tabClicked" }
    SignalSpy { id: menuClicks; target: menu; signalName: "clickMenu" }

    TestCase {
        name: "Controls"
        when: windowShown

        function cleanup() {
            message.clear();
        }

        function test_tab_switching() {
            const shownPages = () => Items.all(tabs, p => p.objectName === "tabPage" && p.visible).map(p => p.text);
            compare(shownPages(), ["server"]);
            waitForRendering(tabs);
            mouseClick(Items.withText(tabs, "双端插件"));
            compare([tabs.currentIndex, tabClicks.count, tabClicks.signalArguments[0][1], shownPages()], [1, 1, "2", ["dual"]]);
            tabs.initModel = [{ key: "1", title: "配置文件", body: "new" }];
            compare([tabs.currentIndex, shownPages()], [0, ["new"]]);
        }

        function drag(x, y, toX, toY) {
            mousePress(popup.background, x, y);
            mouseMove(popup.background, toX, toY);
            mouseRelease(popup.background, toX, toY);
        }

        // Dragged or resized past any edge, it stops at its parent's edge and at its
        // minimum size; a shrinking parent pulls it back in.
        function test_popup_kept_inside_parent() {
            popup.open();
            tryVerify(() => popup.opened);
            drag(100, 10, 700, 700);
            compare([popup.x + popup.width, popup.y + popup.height], [host.width, host.height]);
            drag(100, 10, -900, -900);
            compare([popup.x, popup.y], [0, 0]);
            drag(popup.width - 2, popup.height / 2, popup.width + 900, popup.height / 2);
            compare(popup.width, host.width);
            drag(popup.width - 2, popup.height / 2, -900, popup.height / 2);
            compare(popup.width, popup.minimumWidth);
            popup.x = 250;
            host.width = 300;
            verify(popup.x + popup.width <= host.width);
            host.width = 400;
            popup.close();
        }

        // Typing searches, a click or Down and Return chooses, and clearing reports an
        // empty search, which empties the suggestions.
        function test_autocomplete() {
            search.forceActiveFocus();
            keyClick("K");
            keyClick("X");
            compare([search.searched[search.searched.length - 1], search.filteredOptions.length], ["KX", 2]);
            tryVerify(() => search.popup.opened && search.popup.contentItem.itemAtIndex(1) !== null);
            mouseClick(search.popup.contentItem.itemAtIndex(1));
            compare([search.chosen.label, search.chosen.value, search.text], ["KXMarket\t作者: kx", 1, "KXMarket\t作者: kx"]);
            tryVerify(() => !search.popup.visible);
            search.clearInput();
            search.textEdited();
            compare([search.searched[search.searched.length - 1], search.filteredOptions.length], ["", 0]);
            search.forceActiveFocus();
            keyClick("B");
            tryVerify(() => search.popup.opened);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Return);
            compare(search.chosen.label, "Backup\t作者: kx");
        }

        // The visible menu row whose label reads text.
        function rowLabelled(text) {
            return Items.first(menu, item => item.text === text && item.visible && item.hasOwnProperty("elide"));
        }

        function clickLabel(text) {
            waitForRendering(menu);
            const label = rowLabelled(text);
            verify(label !== null, "no visible menu row labelled " + text);
            mouseClick(label.parent);
        }

        // A click reports depth, key and entry; a parent only expands and collapses.
        function test_menu_clicks() {
            clickLabel("关于");
            const top = menuClicks.signalArguments[0];
            compare([menuClicks.count, top[0], top[1], top[2].source, menu.selectedPath], [1, 0, "", "Tab_about.qml", "3"]);
            menu.setProperty(2, "menuChildren", [
                { key: "server", source: "Tab_server.qml", label: "127.0.0.1", port: "22", user: "root", passwd: "pw1" },
                { key: "server", source: "Tab_server.qml", label: "127.0.0.2", port: "2222", user: "admin", passwd: "pw2" }
            ]);
            clickLabel("我的服务器");
            compare(menuClicks.count, 1);
            tryVerify(() => rowLabelled("127.0.0.2") !== null);
            clickLabel("127.0.0.2");
            const args = menuClicks.signalArguments[1];
            compare([args[0], args[1], args[2].label, args[2].port, args[2].user, args[2].passwd, menu.selectedPath],
                    [1, "server", "127.0.0.2", "2222", "admin", "pw2", "2/1"]);

            // Replacing the children in one step shows exactly the new list.
            menu.setProperty(2, "menuChildren", [{ key: "server", label: "10.0.0.9", source: "Tab_server.qml" }]);
            tryVerify(() => rowLabelled("10.0.0.9") !== null);
            compare([rowLabelled("127.0.0.1"), menu.selectedPath], [null, ""], "the selection of a removed child is dropped");
            clickLabel("我的服务器");
            tryVerify(() => rowLabelled("10.0.0.9") === null, 2000, "a second click collapses");
        }

        // Each kind has its own icon in its own colour.
        function test_message_kinds_data() {
            return [
                { tag: "success", kind: HusMessage.Type_Success, colour: HusTheme.Primary.colorSuccess },
                { tag: "error", kind: HusMessage.Type_Error, colour: HusTheme.Primary.colorError },
                { tag: "warning", kind: HusMessage.Type_Warning, colour: HusTheme.Primary.colorWarning },
                { tag: "info", kind: HusMessage.Type_Message, colour: HusTheme.Primary.colorInfo }
            ];
        }

        function test_message_kinds(data) {
            message[data.tag]("请求失败，状态码: " + data.tag);
            compare([message.count, message.get(0).type, message.get(0).message], [1, data.kind, "请求失败，状态码: " + data.tag]);
            const icon = Items.first(message, item => item.hasOwnProperty("iconSource") && item.hasIcon);
            verify(icon !== null, "the notice shows an icon");
            compare(String(icon.colorIcon), String(data.colour));
        }

        // The notices on screen, top to bottom.
        function shownNotices() {
            return Items.all(message, n => n.message !== undefined && n.visible && n !== message).sort((a, b) => a.y - b.y);
        }

        function test_messages_stack_in_order_and_leave_by_themselves() {
            message.success("第一条", 1500);
            message.error("第二条", 5000);
            message.warning("第三条", 5000);
            // The column may still be sliding them into place: wait for it to settle.
            tryVerify(() => {
                const shown = shownNotices();
                return shown.map(n => n.message).join() === "第一条,第二条,第三条"
                    && shown[0].y < shown[1].y && shown[1].y < shown[2].y;
            }, 3000, "each notice sits under the previous one, in the order they came");
            tryCompare(message, "count", 2, 5000);
            tryVerify(() => shownNotices().map(n => n.message).join() === "第二条,第三条");
        }
    }
}
