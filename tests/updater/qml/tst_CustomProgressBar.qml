import QtQuick 2.15
import QtTest 1.15
import DelegateUI 1.0

TestCase {
    id: testCase

    name: "CustomProgressBar"
    when: windowShown
    width: 400
    height: 100

    Component {
        id: barComponent
        Loader { source: "qrc:/Component/CustomProgressBar.qml" }
    }

    function makeBar(width) {
        const loader = createTemporaryObject(barComponent, testCase);
        verify(loader.item, "the updater's bundle holds the progress bar");
        if (width !== undefined) {
            loader.item.width = width;
            loader.item.height = 30;
        }
        return loader.item;
    }

    function child(item, name) {
        for (let i = 0; i < item.children.length; ++i) {
            const c = item.children[i];
            if (c.objectName === name)
                return c;
            const found = child(c, name);
            if (found)
                return found;
        }
        return null;
    }

    function cleanup() {
        DelTheme.isDark = false;
    }

    function test_defaults() {
        const bar = makeBar();
        compare(bar.width, 120);
        compare(bar.height, 12);
        compare(bar.minimumValue, 0);
        compare(bar.maximumValue, 100);
        compare(child(bar, "fill").width, 0);
        compare(child(bar, "label").text, "0%");
    }

    function test_fill_and_label_data() {
        return [
            { tag: "30 of 100", value: 30, fill: 105, label: "30%" },
            { tag: "fraction dropped", value: 0.999 * 100, fill: 99 * 3.5, label: "99%" },
            { tag: "full", value: 100, fill: 350, label: "100%" },
            { tag: "beyond the maximum stays in the track", value: 130, fill: 350, label: "130%" },
            { tag: "below the minimum draws nothing", value: -5, fill: 0, label: "-5%" }
        ];
    }

    function test_fill_and_label(data) {
        const bar = makeBar(350);
        bar.currentValue = data.value;
        compare(child(bar, "fill").width, data.fill);
        compare(child(bar, "label").text, data.label);
    }

    function test_label_follows_theme() {
        const bar = makeBar(350);
        const label = child(bar, "label");
        compare(label.color, DelTheme.Primary.colorTextBase);
        const light = String(label.color);
        DelTheme.isDark = true;
        compare(label.color, DelTheme.Primary.colorTextBase);
        verify(String(label.color) !== light);
        compare(label.font.family, DelTheme.Primary.fontPrimaryFamily);
    }
}
