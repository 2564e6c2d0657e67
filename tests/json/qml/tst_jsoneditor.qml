import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0

Item {
    id: window

    width: 640
    height: 480

    TestCase {
        id: testCase

        name: "JsonEditor"
        when: windowShown

        property Component editorComponent: Qt.createComponent("qrc:/Component/JsonEditor.qml")

        function createEditor(config) {
            var editor = createTemporaryObject(editorComponent, window, { projectConfigStr: config });
            verify(editor, editorComponent.errorString());
            return editor;
        }

        function child(editor, name) {
            var item = findChild(editor, name);
            verify(item, name);
            return item;
        }

        // Where the marker's apex should be for the character at `index`, in the
        // marker's own coordinates.
        function apexOf(editor, index) {
            var area = child(editor, "jsonTextArea");
            var rect = area.positionToRectangle(index);
            return area.mapToItem(child(editor, "errorMarker"), rect.x, rect.y + rect.height);
        }

        function markerIsRedAt(editor, point) {
            var marker = child(editor, "errorMarker");
            var image = grabImage(marker);
            var x = Math.round(point.x), y = Math.round(point.y);
            if (x < 0 || y < 0 || x >= image.width || y >= image.height)
                return false;
            return Qt.colorEqual(image.pixel(x, y), "#d13438");
        }

        function verifyMarkerUnder(editor, index) {
            var apex = apexOf(editor, index);
            // Well inside the triangle: 6 px below the apex, on its axis.
            tryVerify(function () { return markerIsRedAt(editor, Qt.point(apex.x, apex.y + 6)); }, 2000,
                      "marker under character " + index);
            verify(!markerIsRedAt(editor, Qt.point(apex.x + 30, apex.y + 6)), "marker is narrow");
        }

        // A member without the comma before it: Qt stops at the next key's first
        // letter, "b", on line 3; multi-byte characters before it must not move the mark.
        function test_first_error_is_named_and_marked_data() {
            return [
                { tag: "valid", text: "{\n    \"名称\": \"插件\"\n}\n", line: -1 },
                { tag: "ASCII", text: "{\n    \"a\": 1\n    \"b\": 2\n}\n", line: 3, message: "unterminated object" },
                { tag: "Chinese before the error", text: "{\n    \"名称\": \"插件配置\"\n    \"b\": 2\n}\n", line: 3, message: "unterminated object" },
                { tag: "emoji before the error", text: "{\n    \"a\": \"😀😀 ok\"\n    \"b\": 2\n}\n", line: 3, message: "unterminated object" },
                { tag: "empty", text: "", line: 1, message: "illegal value" }
            ];
        }

        function test_first_error_is_named_and_marked(data) {
            var editor = createEditor("{}");
            child(editor, "jsonTextArea").text = data.text;
            var expected = data.line < 0 ? -1 : Math.max(0, data.text.indexOf("\"b\"") + 1);
            compare(editor.errorPosition, expected);
            compare(editor.errorLine, data.line);
            var label = child(editor, "errorLabel");
            compare(label.visible, data.line > 0);
            if (data.line < 0)
                return;
            compare(label.text, "❌ JSON语法错误第 " + data.line + " 行出错：" + data.message);
            verifyMarkerUnder(editor, expected);
        }

        function test_marker_follows_scrolling() {
            var lines = ["{"];
            for (var i = 0; i < 60; ++i)
                lines.push("    \"key" + i + "\": " + i + ",");
            lines.push("    \"last\": 1");
            lines.push("    \"b\": 2,");
            for (i = 0; i < 30; ++i)
                lines.push("    \"after" + i + "\": " + i + ",");
            lines.push("}");
            var text = lines.join("\n");
            var editor = createEditor(text);
            var index = text.indexOf("\"b\"") + 1;
            compare(editor.errorPosition, index);
            compare(editor.errorLine, 63);

            // The error starts out below the visible part; bring it near the top.
            var flickable = child(editor, "scrollView").contentItem;
            var marker = child(editor, "errorMarker");
            verify(apexOf(editor, index).y > marker.height);
            flickable.contentY += apexOf(editor, index).y - 60;
            verifyMarkerUnder(editor, index);
            var firstApex = apexOf(editor, index);
            fuzzyCompare(firstApex.y, 60, 1);

            flickable.contentY -= 100;
            fuzzyCompare(apexOf(editor, index).y, firstApex.y + 100, 1);
            verifyMarkerUnder(editor, index);
            tryVerify(function () { return !markerIsRedAt(editor, Qt.point(firstApex.x, firstApex.y + 6)); });
        }

        function test_format_button_data() {
            var invalid = "{\"a\": }";
            return [
                { tag: "valid text is formatted", text: "{\"b\":1,\"a\":[true]}", after: "{\n    \"a\": [\n        true\n    ],\n    \"b\": 1\n}\n" },
                { tag: "invalid text stays as typed", text: invalid, after: invalid }
            ];
        }

        function test_format_button(data) {
            var editor = createEditor(data.text);
            mouseClick(child(editor, "formatButton"));
            compare(child(editor, "jsonTextArea").text, data.after);
            compare(child(editor, "errorLabel").visible, data.text === data.after);
        }

        function test_save_hands_over_the_text_even_when_invalid() {
            var editor = createEditor("{\"a\": 1");
            var saved = [];
            editor.saveFunction = function (text) { saved.push(text); };
            mouseClick(child(editor, "saveButton"));
            compare(saved, ["{\"a\": 1"]);
        }

        function test_new_config_replaces_typed_text() {
            var editor = createEditor("{}");
            var area = child(editor, "jsonTextArea");
            area.forceActiveFocus();
            area.cursorPosition = 1;
            keyClick(Qt.Key_X);
            compare(area.text, "{x}");
            compare(editor.errorLine, 1);
            var apex = apexOf(editor, editor.errorPosition);
            verifyMarkerUnder(editor, editor.errorPosition);

            editor.projectConfigStr = "[1]";
            compare(area.text, "[1]");
            compare(editor.errorLine, -1);
            verify(!child(editor, "errorLabel").visible);
            tryVerify(function () { return !markerIsRedAt(editor, Qt.point(apex.x, apex.y + 6)); });

            // Formatting assigns the text from script; later configs still win.
            mouseClick(child(editor, "formatButton"));
            editor.projectConfigStr = "{\"c\": 3}";
            compare(area.text, "{\"c\": 3}");
        }
    }
}
