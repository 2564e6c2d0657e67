import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import KxtShared 1.0
import "qrc:/Component"

Item {
    id: root
    width: 800
    height: 400

    Component {
        id: cardComponent
        Card {
            width: 200
            height: 120
        }
    }

    Component {
        id: spinnerComponent
        BusyIndicator {}
    }

    Component {
        id: barComponent
        CustomProgressBar {}
    }

    TestCase {
        name: "Components"
        when: windowShown

        function cleanup() {
            HusTheme.isDark = false;
        }

        // Hover lifts a card above its neighbours and scales it, pressing scales it further;
        // the callbacks run after the event that caused them, so a click may take its card away.
        function test_card_reacts_and_calls_back_later() {
            const calls = [];
            const left = createTemporaryObject(cardComponent, root, { x: 50, y: 50 });
            const card = cardComponent.createObject(root, { x: 300, y: 50 });
            const panel = findChild(card, "panel");
            let destroyed = false;
            card.Component.destruction.connect(function () { destroyed = true; });
            card.onHoverEnter = function () { calls.push("enter"); };
            card.onHoverExit = function () { calls.push("exit"); };
            mouseMove(card, 100, 60);
            tryCompare(panel, "scale", card.hoverScale, 5000);
            compare(card.z, 999);
            mousePress(card, 100, 60);
            tryCompare(panel, "scale", card.pressedScale, 5000);
            compare(calls, ["enter"]);
            mouseRelease(card, 100, 60);
            mouseMove(left, 100, 60);
            tryCompare(left, "z", 999);
            tryCompare(panel, "scale", 1, 5000);
            compare([card.z, calls.join()], [0, "enter,exit"]);
            card.onClicked = function () { calls.push("click"); card.destroy(); };
            mouseClick(card, 100, 60);
            compare(calls.indexOf("click"), -1, "not inside the click itself");
            tryVerify(function () { return destroyed; }, 5000);
            compare(calls.slice(2), ["enter", "click"]);
            mouseMove(root, 5, 5);
        }

        function arcPixels(spinner, colour) {
            const image = grabImage(spinner);
            let count = 0;
            for (let x = 0; x < image.width; x += 2)
                for (let y = 0; y < image.height; y += 2)
                    if (Qt.colorEqual(image.pixel(x, y), colour))
                        ++count;
            return count;
        }

        // It turns, and a new colour repaints the ring.
        function test_turns_and_repaints_in_a_new_colour() {
            const spinner = createTemporaryObject(spinnerComponent, root, { x: 600, y: 250 });
            const startAngle = spinner.children[0].rotation;
            tryVerify(function () { return arcPixels(spinner, "#2196F3") > 10; }, 5000);
            tryVerify(() => spinner.children[0].rotation !== startAngle, 2000, "it turns");
            spinner.color = "#FF5722";
            tryVerify(function () { return arcPixels(spinner, "#FF5722") > 10; }, 5000);
            compare(arcPixels(spinner, "#2196F3"), 0);
        }

        function test_fill_data() {
            return [
                { tag: "30 per cent of 350", width: 350, value: 30, fill: 105, label: "30%" },
                { tag: "other range", width: 100, max: 200, value: 50, fill: 25, label: "50%" },
                { tag: "offset range", width: 200, min: 50, max: 150, value: 100, fill: 100, label: "100%" },
                { tag: "fraction dropped", width: 100, value: 45.6, fill: 45, label: "45%" },
                { tag: "beyond the maximum stays in the track", width: 350, value: 130, fill: 350, label: "130%" },
                { tag: "below the minimum draws nothing", width: 350, value: -5, fill: 0, label: "-5%" },
                { tag: "empty range", width: 350, max: 0, value: 0, fill: 0, label: "0%" }
            ];
        }

        function test_fill(data) {
            const bar = createTemporaryObject(barComponent, root, { width: data.width, minimumValue: data.min || 0,
                                                                   maximumValue: data.max === undefined ? 100 : data.max });
            bar.currentValue = data.value;
            compare(findChild(bar, "fill").width, data.fill);
            compare(findChild(bar, "label").text, data.label);
        }

        function test_label_stays_readable_in_the_dark_theme() {
            const label = findChild(createTemporaryObject(barComponent, root), "label");
            const light = String(label.color);
            HusTheme.isDark = true;
            compare(label.color, HusTheme.Primary.colorTextBase);
            verify(String(label.color) !== light);
            compare(label.style, Text.Outline);
        }
    }
}
