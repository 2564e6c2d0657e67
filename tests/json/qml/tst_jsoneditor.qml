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
        property var editor: null

        function init() {
            editor = createTemporaryObject(editorComponent, window, { projectConfigStr: "{}" });
            verify(editor, editorComponent.errorString());
        }

        function child(name) {
            var item = findChild(editor, name);
            verify(item, name);
            return item;
        }

        // Where the marker's apex should be for the character at `index`, in the
        // marker's own coordinates.
        function apexOf(index) {
            var area = child("jsonTextArea");
            var rect = area.positionToRectangle(index);
            return area.mapToItem(child("errorMarker"), rect.x, rect.y + rect.height);
        }

        // Whether the marker is painted red 6 px below `apex`, on its axis: well inside the triangle.
        function redBelow(apex) {
            var image = grabImage(child("errorMarker"));
            var x = Math.round(apex.x), y = Math.round(apex.y + 6);
            return x >= 0 && y >= 0 && x < image.width && y < image.height && Qt.colorEqual(image.pixel(x, y), "#d13438");
        }

        function verifyMarkerUnder(index) {
            var apex = apexOf(index);
            tryVerify(function () { return redBelow(apex); }, 2000, "marker under character " + index);
            verify(!redBelow(Qt.point(apex.x + 30, apex.y)), "marker is narrow");
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
            child("jsonTextArea").text = data.text;
            var expected = data.line < 0 ? -1 : Math.max(0, data.text.indexOf("\"b\"") + 1);
            compare([editor.errorPosition, editor.errorLine], [expected, data.line]);
            var label = child("errorLabel");
            compare(label.visible, data.line > 0);
            if (data.line < 0)
                return;
            compare(label.text, "❌ JSON语法错误第 " + data.line + " 行出错：" + data.message);
            verifyMarkerUnder(expected);
        }

        // The error starts out below the visible part; scrolling takes the marker along.
        function test_marker_follows_scrolling() {
            var lines = ["{"];
            for (var i = 0; i < 90; ++i)
                lines.push("    \"key" + i + "\": " + i + (i === 60 ? "" : ","));
            var text = lines.concat(["}"]).join("\n");
            editor.projectConfigStr = text;
            var index = text.indexOf("\"key61\"") + 1;
            compare(editor.errorPosition, index);
            var flickable = child("scrollView").contentItem;
            verify(apexOf(index).y > child("errorMarker").height);
            flickable.contentY += apexOf(index).y - 60;
            verifyMarkerUnder(index);
            var firstApex = apexOf(index);
            flickable.contentY -= 100;
            verifyMarkerUnder(index);
            tryVerify(function () { return !redBelow(firstApex); });
        }

        // Formatting indents four spaces a level and keeps every character; text that
        // does not parse stays as typed. Saving hands over the text as it stands.
        function test_buttons_data() {
            var invalid = "{\"a\": }";
            return [
                { tag: "format object", button: "formatButton", text: "{\"b\":1,\"a\":[true,{\"c\":null}]}",
                  after: "{\n    \"a\": [\n        true,\n        {\n            \"c\": null\n        }\n    ],\n    \"b\": 1\n}\n" },
                { tag: "format array", button: "formatButton", text: "[ \"插件配置 😀\" ,2.5 ]", after: "[\n    \"插件配置 😀\",\n    2.5\n]\n" },
                { tag: "format invalid", button: "formatButton", text: invalid, after: invalid },
                { tag: "save invalid", button: "saveButton", text: invalid, after: invalid, saved: [invalid] }
            ];
        }

        function test_buttons(data) {
            var saved = [];
            editor.saveFunction = function (text) { saved.push(text); };
            editor.projectConfigStr = data.text;
            mouseClick(child(data.button));
            compare(child("jsonTextArea").text, data.after);
            compare(saved, data.saved || []);
        }

        function test_new_config_replaces_typed_text() {
            var area = child("jsonTextArea");
            area.forceActiveFocus();
            area.cursorPosition = 1;
            keyClick(Qt.Key_X);
            compare([area.text, editor.errorLine], ["{x}", 1]);
            var apex = apexOf(editor.errorPosition);
            verifyMarkerUnder(editor.errorPosition);

            editor.projectConfigStr = "[1]";
            compare([area.text, editor.errorLine, child("errorLabel").visible], ["[1]", -1, false]);
            tryVerify(function () { return !redBelow(apex); });

            // Formatting assigns the text from script; later configs still win.
            mouseClick(child("formatButton"));
            editor.projectConfigStr = "{\"c\": 3}";
            compare(area.text, "{\"c\": 3}");
        }
    }
}
