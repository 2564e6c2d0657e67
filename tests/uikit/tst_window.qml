import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import "../common/Items.js" as Items
import DelegateUI 1.0

Item {
    id: root

    HusWindow {
        id: window
        width: 500
        height: 300
        visible: true
        title: "KX_T服务端可视化后台管理工具"
        captionBar.themeButtonVisible: true
        captionBar.topButtonVisible: true
        property var topCalls: []
        captionBar.topCallback: checked => {
            topCalls.push(checked);
            HusApi.setWindowStaysOnTopHint(window, checked);
        }
    }

    DelWindow {
        id: updater
        width: 300
        height: 200
        visible: true
        captionBar.topButtonVisible: true
        captionBar.topCallback: checked => DelApi.setWindowStaysOnTopHint(updater, checked)
        DelMessage { id: delMessage; width: parent.width }
    }

    TestCase {
        name: "Window"
        when: windowShown

        function cleanup() {
            HusTheme.isDark = false;
        }

        function buttonWithDescription(item, text) {
            return Items.first(item, c => c.contentDescription === text && c.hasOwnProperty("checkable"));
        }

        function test_stay_on_top_button_changes_the_window_flag() {
            const pin = buttonWithDescription(window.captionBar, "置顶");
            verify(pin !== null);
            verify(!(window.flags & Qt.WindowStaysOnTopHint));
            mouseClick(pin);
            compare(window.topCalls, [true]);
            verify(window.flags & Qt.WindowStaysOnTopHint);
            verify(HusApi.windowStaysOnTop(window));
            verify(window.flags & Qt.FramelessWindowHint, "the other flags stay");
            tryVerify(() => window.visible);
            mouseClick(pin);
            compare(window.topCalls, [true, false]);
            verify(!(window.flags & Qt.WindowStaysOnTopHint));
            verify(window.visible);
        }

        function test_theme_button_switches_both_libraries() {
            const button = buttonWithDescription(window.captionBar, "切换主题");
            verify(button !== null);
            const lightCaption = String(window.captionBar.color);
            mouseClick(button);
            verify(HusTheme.isDark);
            verify(DelTheme.isDark, "the updater's theme is the same theme");
            verify(String(window.captionBar.color) !== lightCaption);
            compare(String(window.color), String(HusTheme.Primary.colorBgBase));
            compare(String(DelTheme.Primary.colorTextBase), String(HusTheme.Primary.colorTextBase));
            mouseClick(buttonWithDescription(window.captionBar, "切换主题"));
            verify(!HusTheme.isDark);
        }

        function test_caption_buttons_show_their_tool_tip_on_hover() {
            const button = buttonWithDescription(window.captionBar, "最小化");
            mouseMove(button, 5, 5);
            tryVerify(() => Array.from(button.data).some(o => o.text === "最小化" && o.visible === true),
                      3000, "the tool tip names the button");
        }

        function test_updater_pieces() {
            verify(!(updater.flags & Qt.WindowStaysOnTopHint));
            DelApi.setWindowStaysOnTopHint(updater, true);
            verify(updater.flags & Qt.WindowStaysOnTopHint);
            DelApi.setWindowStaysOnTopHint(updater, false);
            verify(!(updater.flags & Qt.WindowStaysOnTopHint));
            delMessage.success("解压完成！请关闭更新程序重新启动主程序!");
            compare(delMessage.count, 1);
            verify(DelTheme.Primary.fontPrimaryFamily.length > 0);
        }

        function test_caption_bar_title_and_close() {
            compare(window.captionBar.winTitle, "KX_T服务端可视化后台管理工具");
            const other = Qt.createQmlObject('import HuskarUI.Basic 1.0; HusWindow { width: 200; height: 100; visible: true }', root);
            tryVerify(() => other.visible);
            other.captionBar.closeCallback();
            tryVerify(() => !other.visible);
            other.destroy();
        }
    }
}
