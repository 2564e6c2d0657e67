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

    SignalSpy { id: tabClicks; target: tabs; signalName: "tabClicked" }

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

    TestCase {
        name: "Containers"
        when: windowShown

        function shownPages() {
            return Items.all(tabs, p => p.objectName === "tabPage" && p.visible).map(p => p.text);
        }

        function test_tab_switching() {
            compare(shownPages(), ["server"]);
            waitForRendering(tabs);
            mouseClick(Items.withText(tabs, "双端插件"));
            compare(tabs.currentIndex, 1);
            compare(tabClicks.count, 1);
            compare(tabClicks.signalArguments[0][1], "2");
            compare(shownPages(), ["dual"]);

            tabs.initModel = [{ key: "1", title: "配置文件", body: "new" }];
            compare(tabs.currentIndex, 0);
            compare(shownPages(), ["new"]);
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
    }
}
