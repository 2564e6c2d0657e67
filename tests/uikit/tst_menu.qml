import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import "../common/Items.js" as Items

Item {
    id: root
    width: 400
    height: 600

    HusMenu {
        id: menu
        width: 220
        height: 600
        // Rows are clicked right after they appear, not after the expand animation.
        animationEnabled: false
        initModel: [
            { label: "首页", iconSource: HusIcon.HomeOutlined, source: "Tab_home.qml" },
            { type: "divider" },
            { label: "我的服务器", iconSource: HusIcon.CloudServerOutlined },
            { label: "关于", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_about.qml" }
        ]
    }

    SignalSpy {
        id: clicks
        target: menu
        signalName: "clickMenu"
    }

    TestCase {
        name: "HusMenu"
        when: windowShown

        function init() {
            clicks.clear();
        }

        // The visible row whose label reads text.
        function rowLabelled(text) {
            return Items.first(menu, item => item.text === text && item.visible && item.hasOwnProperty("elide"));
        }

        function clickLabel(text) {
            waitForRendering(menu);
            const label = rowLabelled(text);
            verify(label !== null, "no visible menu row labelled " + text);
            mouseClick(label.parent);
        }

        function test_top_level_click_reports_depth_key_and_entry() {
            clickLabel("关于");
            compare(clicks.count, 1);
            const args = clicks.signalArguments[0];
            compare([args[0], args[1], args[2].source], [0, "", "Tab_about.qml"]);
            compare(menu.selectedPath, "3");
        }

        function test_children_set_later_are_shown_and_report_their_fields() {
            menu.setProperty(2, "menuChildren", [
                { key: "server", source: "Tab_server.qml", label: "127.0.0.1", port: "22", user: "root", passwd: "pw1", iconSource: HusIcon.HomeOutlined },
                { key: "server", source: "Tab_server.qml", label: "127.0.0.2", port: "2222", user: "admin", passwd: "pw2", iconSource: HusIcon.HomeOutlined }
            ]);
            compare(menu.get(2).menuChildren.length, 2);
            compare(menu.get(2).label, "我的服务器", "setProperty keeps the other fields");

            // The parent only expands: it is not reported as a click.
            clickLabel("我的服务器");
            compare(clicks.count, 0);
            tryVerify(() => rowLabelled("127.0.0.2") !== null);

            clickLabel("127.0.0.2");
            compare(clicks.count, 1);
            const args = clicks.signalArguments[0];
            compare([args[0], args[1], args[2].label, args[2].port, args[2].user, args[2].passwd],
                    [1, "server", "127.0.0.2", "2222", "admin", "pw2"]);
            compare(menu.selectedPath, "2/1");

            // Replacing the children in one step shows exactly the new list.
            menu.setProperty(2, "menuChildren", [{ key: "server", label: "10.0.0.9", source: "Tab_server.qml" }]);
            tryVerify(() => rowLabelled("10.0.0.9") !== null);
            verify(rowLabelled("127.0.0.1") === null);
            compare(menu.selectedPath, "", "the selection of a removed child is dropped");

            clickLabel("我的服务器");
            tryVerify(() => rowLabelled("10.0.0.9") === null, 2000, "a second click collapses");
        }
    }
}
