import QtQuick 2.15
import HuskarUI.Basic 1.0

// Tabs over a content area. initModel: [{key, iconSource, title, contentDelegate}]
// plus any fields of the caller's own. A tab's content is its own
// contentDelegate or else the view's; either sees its tab as `model.<field>`,
// `modelData` and `index`. Only the current tab's content is visible.
Item {
    id: control

    enum TabSize {
        Size_Auto,
        Size_Fixed
    }

    enum TabType {
        Type_Default,
        Type_Card,
        Type_CardEditable
    }

    property bool animationEnabled: HusTheme.animationEnabled
    property var initModel: []
    property int currentIndex: count > 0 ? 0 : -1
    readonly property int count: tabs.count
    property int tabSize: HusTabView.Size_Auto
    property int tabType: HusTabView.Type_Default
    property bool tabCentered: false
    property bool addButtonVisible: false
    property int defaultTabWidth: 80
    property int defaultTabHeight: 38
    property int defaultTabSpacing: tabType === HusTabView.Type_Default ? 24 : 2
    property int defaultTabIconSize: 14
    property Component contentDelegate: null
    property font tabFont: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySize })
    property color colorTabText: HusTheme.Primary.colorTextBase
    property color colorTabTextActive: HusTheme.Primary.colorPrimary
    property color colorTabBg: HusTheme.Primary.colorFillQuaternary
    property color colorTabBgActive: HusTheme.Primary.colorBgContainer
    property color colorSplit: HusTheme.Primary.colorSplit

    signal addClicked()
    signal tabClicked(int index, string key)

    function get(index) {
        return index >= 0 && index < tabs.count ? tabs.get(index).modelData : undefined;
    }

    function __entry(object) {
        const entry = Object.assign({}, object);
        entry.modelData = object;
        return entry;
    }

    function appendTab(object) {
        tabs.append(__entry(object));
        if (currentIndex < 0)
            currentIndex = 0;
    }

    function insertTab(index, object) {
        tabs.insert(Math.max(0, Math.min(index, tabs.count)), __entry(object));
        if (index <= currentIndex)
            ++currentIndex;
    }

    function removeTab(index) {
        if (index < 0 || index >= tabs.count)
            return;
        tabs.remove(index);
        if (currentIndex >= tabs.count || index < currentIndex)
            currentIndex = Math.max(tabs.count > 0 ? 0 : -1, currentIndex - 1);
    }

    function clear() {
        tabs.clear();
        currentIndex = -1;
    }

    function indexOfKey(key) {
        for (let i = 0; i < tabs.count; ++i) {
            if (tabs.get(i).key === key)
                return i;
        }
        return -1;
    }

    // Pages shift when tabs are inserted or removed, so their visibility is bound anew.
    function __bindPages() {
        for (let i = 0; i < pageRepeater.count; ++i) {
            const page = pageRepeater.itemAt(i);
            if (page) {
                const at = i;
                page.visible = Qt.binding(() => control.currentIndex === at);
            }
        }
    }

    onInitModelChanged: {
        tabs.clear();
        for (const object of Array.from(initModel || []))
            tabs.append(__entry(object));
        currentIndex = tabs.count > 0 ? 0 : -1;
    }

    ListModel {
        id: tabs
        dynamicRoles: true
    }

    Item {
        id: bar
        width: parent.width
        height: control.defaultTabHeight
        clip: true

        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: control.colorSplit
        }

        Flickable {
            id: barFlick
            height: parent.height
            width: Math.min(parent.width, tabRow.width)
            x: control.tabCentered ? (parent.width - width) / 2 : 0
            contentWidth: tabRow.width
            flickableDirection: Flickable.HorizontalFlick
            boundsBehavior: Flickable.StopAtBounds

            Row {
                id: tabRow
                height: parent.height
                spacing: control.defaultTabSpacing

                Repeater {
                    id: tabButtons
                    model: tabs

                    delegate: Item {
                        id: tab

                        required property int index
                        required property var model
                        readonly property bool current: control.currentIndex === index
                        readonly property var tabIcon: model.iconSource

                        width: control.tabSize === HusTabView.Size_Auto ? content.implicitWidth + (control.tabType === HusTabView.Type_Default ? 0 : 32)
                                                                        : control.defaultTabWidth
                        height: parent.height

                        Rectangle {
                            visible: control.tabType !== HusTabView.Type_Default
                            anchors.fill: parent
                            anchors.bottomMargin: tab.current ? 0 : 1
                            radius: HusTheme.Primary.radiusPrimaryLG
                            color: tab.current ? control.colorTabBgActive : control.colorTabBg
                            border.width: 1
                            border.color: control.colorSplit

                            Rectangle {
                                anchors.bottom: parent.bottom
                                width: parent.width
                                height: parent.radius
                                color: parent.color
                                border.width: 0
                            }
                        }

                        Row {
                            id: content
                            anchors.centerIn: parent
                            spacing: 6

                            HusIconText {
                                anchors.verticalCenter: parent.verticalCenter
                                iconSource: tab.tabIcon
                                iconSize: control.defaultTabIconSize
                                colorIcon: label.color
                            }

                            Text {
                                id: label
                                anchors.verticalCenter: parent.verticalCenter
                                text: tab.model.title === undefined || tab.model.title === null ? "" : tab.model.title
                                font: control.tabFont
                                color: tab.current || mouse.containsMouse ? control.colorTabTextActive : control.colorTabText
                                renderType: Text.NativeRendering
                            }
                        }

                        MouseArea {
                            id: mouse
                            anchors.fill: parent
                            hoverEnabled: true
                            cursorShape: Qt.PointingHandCursor
                            onClicked: {
                                control.currentIndex = tab.index;
                                control.tabClicked(tab.index, tab.model.key === undefined ? "" : String(tab.model.key));
                            }
                        }
                    }
                }
            }

            // The ink bar under the current tab of the default type.
            Rectangle {
                readonly property Item target: tabButtons.count > 0 && control.currentIndex >= 0
                                               ? tabButtons.itemAt(control.currentIndex) : null
                visible: target !== null && control.tabType === HusTabView.Type_Default
                y: parent.height - height
                x: target ? target.x : 0
                width: target ? target.width : 0
                height: 2
                color: control.colorTabTextActive
                Behavior on x { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid; easing.type: Easing.OutCubic } }
                Behavior on width { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }
            }
        }

        HusIconButton {
            visible: control.addButtonVisible
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            type: HusButton.Type_Text
            iconSource: HusIcon.PlusOutlined
            onClicked: control.addClicked()
        }
    }

    Item {
        id: pages
        anchors.top: bar.bottom
        anchors.bottom: parent.bottom
        width: parent.width

        Repeater {
            id: pageRepeater
            model: tabs
            delegate: control.contentDelegate ? control.contentDelegate : ownContent
            onItemAdded: (index, item) => item.anchors.fill = pages
            onCountChanged: control.__bindPages()
        }

        Component {
            id: ownContent
            Loader {
                sourceComponent: model.contentDelegate ? model.contentDelegate : null
            }
        }
    }
}
