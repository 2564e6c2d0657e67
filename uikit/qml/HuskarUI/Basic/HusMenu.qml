import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0

// A vertical navigation menu built from initModel, an array of entries:
//   { key, label, iconSource, source, type ("item", "group", "divider"),
//     enabled, menuChildren: [entries...] } plus any fields of the caller's own.
// An entry with menuChildren (even an empty array) expands and collapses on
// click; any other entry is selected and reported through clickMenu.
Item {
    id: control

    signal clickMenu(int deep, string key, var data)

    property bool animationEnabled: HusTheme.animationEnabled
    property var initModel: []
    property bool showEdge: false
    property bool compactMode: false
    property bool tooltipVisible: false
    property int defaultMenuIconSize: 16
    property int defaultMenuIconSpacing: 10
    property int defaultMenuHeight: 40
    property int defaultMenuLevelIndent: 24
    property int defaultMenuTopPadding: 4
    property int defaultMenuSpacing: 4
    property int radiusMenuBg: HusTheme.Primary.radiusPrimaryLG
    property string defaultSelectedKey: ""
    property color colorBg: "transparent"
    property alias color: background.color
    property color colorText: HusTheme.Primary.colorTextBase
    property color colorTextSelected: HusTheme.Primary.colorPrimary
    property color colorBgSelected: HusTheme.Primary.colorPrimaryBg
    property color colorBgHover: HusTheme.Primary.colorFillTertiary

    // Path of the selected entry ("2/0": child 0 of top-level entry 2).
    property string selectedPath: ""
    readonly property int count: __entries.length

    property var __entries: []
    property var __expanded: ({})

    // Entries reach the delegates as converted copies, whose arrays are
    // list-likes rather than Arrays.
    function __isList(value) {
        return value !== undefined && value !== null && typeof value === "object" && typeof value.length === "number";
    }

    function __hasChildren(entry) {
        return entry !== undefined && entry !== null && __isList(entry.menuChildren);
    }

    function __copy(entry) {
        const copy = Object.assign({}, entry);
        if (__hasChildren(entry))
            copy.menuChildren = Array.from(entry.menuChildren, __copy);
        return copy;
    }

    function __commit(entries) {
        __entries = entries;
    }

    function get(index) {
        return index >= 0 && index < __entries.length ? __entries[index] : undefined;
    }

    // Replaces one field of top-level entry index (setProperty(2, "menuChildren", [...])).
    function setProperty(index, propertyName, value) {
        if (index < 0 || index >= __entries.length)
            return;
        const entries = __entries.slice();
        const entry = Object.assign({}, entries[index]);
        entry[propertyName] = propertyName === "menuChildren" && __isList(value) ? Array.from(value, __copy) : value;
        entries[index] = entry;
        if (propertyName === "menuChildren" && selectedPath.indexOf(index + "/") === 0)
            selectedPath = "";
        __commit(entries);
    }

    function set(index, object) {
        if (index < 0 || index >= __entries.length)
            return;
        const entries = __entries.slice();
        entries[index] = __copy(object);
        __commit(entries);
    }

    function insert(index, object) {
        const entries = __entries.slice();
        entries.splice(Math.max(0, Math.min(index, entries.length)), 0, __copy(object));
        __commit(entries);
    }

    function append(object) {
        insert(__entries.length, object);
    }

    function remove(index, count) {
        const entries = __entries.slice();
        entries.splice(index, count === undefined ? 1 : count);
        selectedPath = "";
        __commit(entries);
    }

    function clear() {
        selectedPath = "";
        __commit([]);
    }

    function isExpanded(path) {
        return __expanded[path] === true;
    }

    function setExpanded(path, on) {
        const expanded = Object.assign({}, __expanded);
        expanded[path] = on;
        __expanded = expanded;
    }

    // Selects the first entry with that key and reports it as if clicked.
    function gotoMenu(key) {
        const found = __find(__entries, key, "", 0);
        if (found)
            __activate(found.entry, found.path, found.depth);
        return found !== null;
    }

    function __find(entries, key, prefix, depth) {
        for (let i = 0; i < entries.length; ++i) {
            const path = prefix + i;
            if (entries[i].key === key && !__hasChildren(entries[i]))
                return { entry: entries[i], path: path, depth: depth };
            if (__hasChildren(entries[i])) {
                const found = __find(entries[i].menuChildren, key, path + "/", depth + 1);
                if (found)
                    return found;
            }
        }
        return null;
    }

    function __activate(entry, path, depth) {
        if (__hasChildren(entry)) {
            setExpanded(path, !isExpanded(path));
            return;
        }
        selectedPath = path;
        clickMenu(depth, entry.key === undefined || entry.key === null ? "" : String(entry.key), entry);
    }

    onInitModelChanged: {
        selectedPath = "";
        __expanded = {};
        __commit(__isList(initModel) ? Array.from(initModel, __copy) : []);
        if (defaultSelectedKey.length > 0) {
            const found = __find(__entries, defaultSelectedKey, "", 0);
            if (found)
                selectedPath = found.path;
        } else {
            const first = __entries.findIndex(e => (e.type === undefined || e.type === "item")
                                              && !__hasChildren(e) && e.enabled !== false);
            if (first >= 0)
                selectedPath = String(first);
        }
    }

    implicitWidth: compactMode ? defaultMenuHeight + 16 : 220
    implicitHeight: 400

    Rectangle {
        id: background
        anchors.fill: parent
        color: control.colorBg
    }

    Rectangle {
        visible: control.showEdge
        anchors.right: parent.right
        width: 1
        height: parent.height
        color: HusTheme.Primary.colorSplit
    }

    Flickable {
        id: flick
        anchors.fill: parent
        anchors.topMargin: control.defaultMenuTopPadding
        contentHeight: column.height
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: HusScrollBar {}

        Column {
            id: column
            width: flick.width
            spacing: control.defaultMenuSpacing

            Repeater {
                model: control.__entries
                delegate: Loader {
                    required property var modelData
                    required property int index
                    width: column.width
                    sourceComponent: entryComponent
                    onLoaded: {
                        item.entry = Qt.binding(() => modelData);
                        item.path = String(index);
                        item.depth = 0;
                    }
                }
            }
        }
    }

    Component {
        id: entryComponent

        Column {
            id: entryItem

            property var entry: ({})
            property string path: ""
            property int depth: 0
            readonly property string type: entry && entry.type ? entry.type : "item"
            readonly property bool hasChildren: control.__hasChildren(entry)
            readonly property bool expanded: hasChildren && control.isExpanded(path)
            readonly property bool selected: control.selectedPath === path
            readonly property bool childSelected: hasChildren && control.selectedPath.indexOf(path + "/") === 0
            readonly property bool entryEnabled: entry ? entry.enabled !== false : true

            spacing: control.defaultMenuSpacing

            Item {
                width: parent.width
                height: 9
                visible: entryItem.type === "divider"

                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    x: 12
                    width: parent.width - 24
                    height: 1
                    color: HusTheme.Primary.colorSplit
                }
            }

            Text {
                visible: entryItem.type === "group"
                x: 16 + entryItem.depth * control.defaultMenuLevelIndent
                height: 32
                width: parent.width - x - 8
                text: entryItem.entry && entryItem.entry.label !== undefined ? entryItem.entry.label : ""
                font.family: HusTheme.Primary.fontPrimaryFamily
                font.pixelSize: HusTheme.Primary.fontPrimarySizeSM
                color: HusTheme.Primary.colorTextTertiary
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                renderType: Text.NativeRendering
            }

            Item {
                id: row
                visible: entryItem.type !== "divider" && entryItem.type !== "group"
                x: 4
                width: parent.width - 8
                height: control.defaultMenuHeight

                Rectangle {
                    anchors.fill: parent
                    radius: control.radiusMenuBg
                    color: entryItem.selected ? control.colorBgSelected
                                              : mouse.containsMouse && entryItem.entryEnabled ? control.colorBgHover
                                                                                              : "transparent"
                    Behavior on color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationFast } }
                }

                HusIconText {
                    id: icon
                    anchors.verticalCenter: parent.verticalCenter
                    x: control.compactMode ? (parent.width - width) / 2
                                           : 12 + entryItem.depth * control.defaultMenuLevelIndent
                    iconSource: entryItem.entry ? entryItem.entry.iconSource : 0
                    iconSize: entryItem.entry && entryItem.entry.iconSize ? entryItem.entry.iconSize : control.defaultMenuIconSize
                    colorIcon: label.color
                }

                Text {
                    id: label
                    visible: !control.compactMode
                    anchors.verticalCenter: parent.verticalCenter
                    x: icon.hasIcon ? icon.x + icon.width + control.defaultMenuIconSpacing
                                    : 12 + entryItem.depth * control.defaultMenuLevelIndent
                    width: (entryItem.hasChildren ? arrow.x - 8 : parent.width - 12) - x
                    text: entryItem.entry && entryItem.entry.label !== undefined ? entryItem.entry.label : ""
                    font.family: HusTheme.Primary.fontPrimaryFamily
                    font.pixelSize: HusTheme.Primary.fontPrimarySize
                    color: !entryItem.entryEnabled ? HusTheme.Primary.colorTextDisabled
                                                   : entryItem.selected || entryItem.childSelected ? control.colorTextSelected
                                                                                                   : control.colorText
                    elide: Text.ElideRight
                    renderType: Text.NativeRendering
                }

                HusIconText {
                    id: arrow
                    visible: entryItem.hasChildren && !control.compactMode
                    anchors.verticalCenter: parent.verticalCenter
                    x: parent.width - width - 12
                    iconSource: HusIcon.DownOutlined
                    iconSize: 10
                    colorIcon: label.color
                    rotation: entryItem.expanded ? 180 : 0
                    Behavior on rotation { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }
                }

                MouseArea {
                    id: mouse
                    anchors.fill: parent
                    hoverEnabled: true
                    enabled: entryItem.entryEnabled
                    cursorShape: Qt.PointingHandCursor
                    onClicked: control.__activate(entryItem.entry, entryItem.path, entryItem.depth)
                }

                HusToolTip {
                    visible: (control.tooltipVisible || control.compactMode) && mouse.containsMouse && label.text.length > 0
                    text: label.text
                    position: HusToolTip.Position_Right
                    delay: 300
                }
            }

            Item {
                id: childrenBox
                visible: entryItem.hasChildren && height > 0
                width: parent.width
                height: entryItem.expanded ? childColumn.height : 0
                clip: true
                Behavior on height { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid; easing.type: Easing.OutCubic } }

                Column {
                    id: childColumn
                    width: parent.width
                    spacing: control.defaultMenuSpacing

                    Repeater {
                        model: entryItem.hasChildren ? entryItem.entry.menuChildren : []
                        delegate: Loader {
                            required property var modelData
                            required property int index
                            width: childColumn.width
                            sourceComponent: entryComponent
                            onLoaded: {
                                item.entry = Qt.binding(() => modelData);
                                // The parent's own path is set after its children load.
                                item.path = Qt.binding(() => entryItem.path + "/" + index);
                                item.depth = Qt.binding(() => entryItem.depth + 1);
                            }
                        }
                    }
                }
            }
        }
    }
}
