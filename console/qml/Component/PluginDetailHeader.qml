import QtQuick 2.15
import HuskarUI.Basic 1.0

// Header of a plugin detail window: logo, name, the line under it, a green version
// tag followed by `tags`, the description under a divider, and `actions` at the
// right edge (each action places itself: anchors.right: parent.right, y: ...).
DetailFrame {
    id: header

    property string title
    property string subtitle
    property string version
    property string description
    property alias tags: tagRow.data
    property alias actions: actionArea.data

    y: 45
    height: 78 + 30 + descriptionText.height

    Image {
        id: logo
        x: 10
        y: 15
        width: 48
        height: 48
        source: "qrc:/image/logo.png"
        sourceSize: Qt.size(48, 48)
        fillMode: Image.PreserveAspectFit
    }

    HusText {
        id: titleText
        objectName: "detailTitle"
        anchors.left: logo.right
        anchors.leftMargin: 10
        y: 14
        width: Math.min(implicitWidth, Math.max(0, actionArea.x - x - versionTag.width - tagRow.width - 40))
        elide: Text.ElideRight
        text: header.title
        font.pixelSize: 20
    }

    HusText {
        objectName: "detailSubtitle"
        anchors.left: titleText.left
        anchors.top: titleText.bottom
        anchors.topMargin: 2
        width: actionArea.x - x - 10
        elide: Text.ElideRight
        text: header.subtitle
        font.pixelSize: 14
        color: HusTheme.Primary.colorTextSecondary
    }

    HusTag {
        id: versionTag
        objectName: "versionTag"
        anchors.left: titleText.right
        anchors.leftMargin: 15
        y: titleText.y + 2
        presetColor: "green"
        text: "Ver:" + header.version
    }

    Row {
        id: tagRow
        anchors.left: versionTag.right
        anchors.leftMargin: 15
        y: versionTag.y
        spacing: 10
    }

    Item {
        id: actionArea
        anchors.right: parent.right
        anchors.rightMargin: 10
        // Sized from the actions' widths: they anchor to this area's right edge.
        width: {
            let widest = 0;
            for (let i = 0; i < children.length; ++i)
                widest = Math.max(widest, children[i].width);
            return widest;
        }
        height: 78
    }

    HusDivider {
        x: 10
        y: logo.y + logo.height
        width: header.width - 20
        height: 30
    }

    HusText {
        id: descriptionText
        objectName: "detailDescription"
        x: 10
        y: logo.y + logo.height + 30
        width: header.width - 20
        wrapMode: Text.Wrap
        text: header.description
        font.pixelSize: 14
    }
}
