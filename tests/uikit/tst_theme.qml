import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0

Item {
    id: root
    width: 400
    height: 300

    HusButton { id: button; text: "主要按钮"; type: HusButton.Type_Primary }
    HusInput { id: input; y: 50 }

    TestCase {
        name: "HusTheme"
        when: windowShown

        function cleanup() {
            HusTheme.isDark = false;
        }

        function test_switch_changes_is_dark_and_colours() {
            HusTheme.isDark = false;
            const lightBg = String(HusTheme.Primary.colorBgBase);
            const lightText = String(HusTheme.Primary.colorTextBase);
            const lightInputBg = String(input.colorBg);
            HusTheme.darkMode = HusTheme.Dark;
            verify(HusTheme.isDark);
            verify(String(HusTheme.Primary.colorBgBase) !== lightBg);
            verify(String(HusTheme.Primary.colorTextBase) !== lightText);
            verify(String(input.colorBg) !== lightInputBg, "components follow the switch");
            verify(HusTheme.Primary.colorBgBase.hslLightness < 0.2);
            verify(HusTheme.Primary.colorTextBase.hslLightness > 0.8);
            HusTheme.isDark = false;
            compare(HusTheme.darkMode, HusTheme.Light);
            compare(String(HusTheme.Primary.colorBgBase), lightBg);
        }

        function test_fixed_tokens() {
            compare(String(HusTheme.Primary.colorPrimary), "#1677ff");
            compare(HusTheme.Primary.fontPrimarySize, 14);
            compare(HusTheme.Primary.radiusPrimary, 6);
            compare(HusTheme.Primary.fontPrimarySizeHeading, HusTheme.Primary.fontPrimarySizeHeading4);
            verify(HusTheme.Primary.durationFast < HusTheme.Primary.durationMid);
            compare(HusCollapse.colorBorder, HusTheme.HusCollapse.colorBorder);
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
