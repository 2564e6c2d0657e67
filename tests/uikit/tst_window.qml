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
        captionBar.themeButtonVisible: true
        captionBar.topButtonVisible: true
        HusInput { id: input }
    }

    DelWindow {
        id: updater
        width: 300
        height: 200
        visible: true
        captionBar.topButtonVisible: true
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

        function test_stay_on_top_button_changes_the_window_flag_data() {
            return [{ tag: "console", window: window }, { tag: "updater", window: updater }];
        }

        function test_stay_on_top_button_changes_the_window_flag(data) {
            const win = data.window;
            const pin = buttonWithDescription(win.captionBar, "置顶");
            verify(!(win.flags & Qt.WindowStaysOnTopHint));
            mouseClick(pin);
            verify(win.flags & Qt.WindowStaysOnTopHint);
            verify(win.flags & Qt.FramelessWindowHint, "the other flags stay");
            tryVerify(() => win.visible);
            mouseClick(pin);
            verify(!(win.flags & Qt.WindowStaysOnTopHint));
        }

        // One switch turns both libraries dark: backgrounds dark, texts light, and the
        // components with them.
        function test_theme_button_switches_both_libraries() {
            const lightCaption = String(window.captionBar.color), lightInput = String(input.colorBg);
            mouseClick(buttonWithDescription(window.captionBar, "切换主题"));
            verify(HusTheme.isDark && DelTheme.isDark);
            verify(HusTheme.Primary.colorBgBase.hslLightness < 0.2);
            verify(HusTheme.Primary.colorTextBase.hslLightness > 0.8);
            compare(String(DelTheme.Primary.colorTextBase), String(HusTheme.Primary.colorTextBase));
            verify(String(window.captionBar.color) !== lightCaption);
            verify(String(input.colorBg) !== lightInput);
            compare(String(window.color), String(HusTheme.Primary.colorBgBase));
            mouseClick(buttonWithDescription(window.captionBar, "切换主题"));
            verify(!HusTheme.isDark);
            compare(String(input.colorBg), lightInput);
        }

        function test_caption_buttons_show_their_tool_tip_on_hover() {
            const button = buttonWithDescription(window.captionBar, "最小化");
            mouseMove(button, 5, 5);
            tryVerify(() => Array.from(button.data).some(o => o.text === "最小化" && o.visible === true),
                      3000, "the tool tip names the button");
        }

        function test_font_families_take_the_first_installed() {
            const before = HusTheme.Primary.fontPrimaryFamily;
            verify(!HusTheme.installThemePrimaryFontFamiliesBase('"No Such Font UI", NoSuchFamily'));
            compare(HusTheme.Primary.fontPrimaryFamily, before, "an unknown list keeps the current family");
            verify(HusTheme.installThemePrimaryFontFamiliesBase('"Missing Family", "' + before + '", Roboto'));
            compare(HusTheme.Primary.fontPrimaryFamily, before);
        }

        function test_alpha() {
            const c = HusThemeFunctions.alpha("#1677ff", 0.25);
            fuzzyCompare(c.a, 0.25, 0.01);
            fuzzyCompare(c.b, 1.0, 0.01);
            compare(HusThemeFunctions.alpha(HusTheme.Primary.colorError, 2).a, 1);
        }
    }
}
