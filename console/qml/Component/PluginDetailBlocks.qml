import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0

// The scrolling column of a plugin's detail blocks: "str" text, "img" images and
// "mov" videos, in order; other types show nothing. A window may replace how
// images and videos show: the Component's root gets `block` (the block) and
// `columnWidth` set, and sizes itself.
Flickable {
    id: root

    property var blocks: []
    property Component imageComponent: defaultImage
    property Component movieComponent: defaultMovie
    readonly property real columnWidth: width - 20

    clip: true
    contentWidth: width
    contentHeight: column.height + 20
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: HusScrollBar {}

    Column {
        id: column
        x: 10
        y: 10
        width: root.columnWidth
        spacing: 10

        Repeater {
            model: Array.isArray(root.blocks) ? root.blocks : []

            Loader {
                id: blockLoader
                readonly property var kinds: ({ str: textBlock, img: root.imageComponent, mov: root.movieComponent })
                active: modelData !== null && typeof modelData === "object" && kinds[modelData.type] !== undefined
                visible: active
                sourceComponent: active ? kinds[modelData.type] : null
                onLoaded: item.block = modelData
                Binding {
                    target: blockLoader.item
                    property: "columnWidth"
                    value: root.columnWidth
                    when: blockLoader.item !== null
                }
            }
        }
    }

    Component {
        id: textBlock
        HusText {
            property var block
            property real columnWidth
            objectName: "strBlock"
            width: columnWidth - 20
            wrapMode: Text.Wrap
            font.pixelSize: 14
            text: block ? String(block.content) : ""
        }
    }

    Component {
        id: defaultImage
        Image {
            property var block
            property real columnWidth
            objectName: "imgBlock"
            source: block ? block.content : ""
            asynchronous: true
            cache: true
            fillMode: Image.PreserveAspectFit
            horizontalAlignment: Image.AlignLeft
            width: status === Image.Ready ? Math.min(sourceSize.width, columnWidth) : 0
            height: status === Image.Ready && sourceSize.width > 0 ? width * sourceSize.height / sourceSize.width : 0
        }
    }

    Component {
        id: defaultMovie
        SimpleVideoPlayer {
            property var block
            property real columnWidth
            objectName: "movBlock"
            width: columnWidth
            source: block ? block.content : ""
        }
    }
}
