import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import JsonEditor 1.0

// Edits a JSON text with colouring and live syntax checking; the first error is
// named under the text and marked by a red triangle under the offending character.
Item {
    id: root

    width: 600
    height: 400

    property var projectConfigStr: null
    property var saveFunction: function (text) {}
    property var errorLine: null
    property var errorPosition: null

    // Qt reports parse errors as byte offsets into the UTF-8 text; the text area
    // counts UTF-16 code units.
    function utf8OffsetToUtf16Index(text, utf8Offset) {
        var bytes = 0;
        var index = 0;
        while (index < text.length) {
            var code = text.codePointAt(index);
            var length = code <= 0x7f ? 1 : code <= 0x7ff ? 2 : code <= 0xffff ? 3 : 4;
            if (bytes + length > utf8Offset)
                break;
            bytes += length;
            index += code > 0xffff ? 2 : 1;
        }
        return index;
    }

    function getErrorLine(text, offset) {
        return text.substring(0, offset).split("\n").length;
    }

    function validate() {
        var text = textArea.text;
        var result = processor.validateJson(text);
        if (result.hasError) {
            errorPosition = utf8OffsetToUtf16Index(text, result.errorOffset);
            errorLine = getErrorLine(text, errorPosition);
            errorLabel.text = "❌ JSON语法错误" + "第 " + errorLine + " 行出错：" + result.errorMessage;
        } else {
            errorLine = -1;
            errorPosition = -1;
        }
        marker.requestPaint();
    }

    // Assigned rather than bound: formatting replaces the text from script, and a
    // new projectConfigStr must still replace whatever the operator typed.
    function showConfig() {
        textArea.text = projectConfigStr === null || projectConfigStr === undefined ? "" : String(projectConfigStr);
    }

    onProjectConfigStrChanged: showConfig()
    Component.onCompleted: showConfig()

    JsonProcessor {
        id: processor
    }

    JsonHighlighter {
        document: textArea.textDocument
    }

    Rectangle {
        id: editFrame

        anchors.fill: parent
        anchors.bottomMargin: 40
        color: "transparent"
        radius: 8
        border.width: 2
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"

        ScrollView {
            id: scrollView

            objectName: "scrollView"
            anchors.fill: parent
            anchors.margins: editFrame.border.width
            clip: true

            TextArea {
                id: textArea

                objectName: "jsonTextArea"
                font.family: "Consolas"
                font.pixelSize: 14
                wrapMode: TextEdit.Wrap
                placeholderText: "请输入JSON内容..."
                placeholderTextColor: HusTheme.Primary.colorTextTertiary
                color: HusTheme.Primary.colorTextBase
                selectByMouse: true
                selectionColor: "#0078d4"
                selectedTextColor: "#ffffff"
                background: null
                onTextChanged: root.validate()
                onWidthChanged: marker.requestPaint()
                onContentHeightChanged: marker.requestPaint()
            }
        }

        Connections {
            target: scrollView.contentItem
            function onContentXChanged() { marker.requestPaint(); }
            function onContentYChanged() { marker.requestPaint(); }
        }

        Canvas {
            id: marker

            objectName: "errorMarker"
            anchors.fill: scrollView
            z: 1
            renderTarget: Canvas.Image

            onPaint: {
                var context = getContext("2d");
                context.clearRect(0, 0, width, height);
                if (root.errorPosition === null || root.errorPosition === -1)
                    return;
                var rect = textArea.positionToRectangle(root.errorPosition);
                if (!rect || rect.width === 0)
                    return;
                var apex = textArea.mapToItem(marker, rect.x, rect.y + rect.height);
                context.fillStyle = "#d13438";
                context.beginPath();
                context.moveTo(apex.x, apex.y);
                context.lineTo(apex.x - 8, apex.y + 10);
                context.lineTo(apex.x + 8, apex.y + 10);
                context.closePath();
                context.fill();
            }
        }
    }

    Row {
        anchors.top: editFrame.bottom
        anchors.topMargin: 6
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 15

        Text {
            id: errorLabel

            objectName: "errorLabel"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, root.width - formatButton.width - saveButton.width - 2 * parent.spacing)
            elide: Text.ElideRight
            font.family: HusTheme.Primary.fontPrimaryFamily
            font.pixelSize: HusTheme.Primary.fontPrimarySize
            font.bold: true
            color: "#d13438"
            visible: root.errorLine !== null && root.errorLine !== -1
        }

        HusButton {
            id: formatButton

            objectName: "formatButton"
            text: "格式化"
            // Text that does not parse stays as typed; the error label already names its fault.
            onClicked: {
                const formatted = processor.formatJson(textArea.text);
                if (formatted !== "")
                    textArea.text = formatted;
            }
        }

        HusButton {
            id: saveButton

            objectName: "saveButton"
            text: "保存"
            onClicked: root.saveFunction(textArea.text)
        }
    }
}
