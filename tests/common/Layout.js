.pragma library

// Layout faults of what a window shows, as readable lines (none when it lays out well):
// - a visible text drawn past its own box (neither elided nor wrapped to it);
// - a visible text, image or painted rectangle drawn outside `area` (the page area), cut by a clipping
//   item, or lying under `menu` (the side menu; may be null);
// - a scroll area whose last item cannot be scrolled into view.
// Items outside `area` (the caption bar, popups on the overlay) must stay inside `root`.
// Scroll areas are left at their end.

var slack = 1

function isScrollArea(item) {
    return typeof item.flick === "function" && item.contentItem !== undefined
}

function isText(item) {
    return item.elide !== undefined && item.truncated !== undefined && item.lineCount !== undefined
}

function isImage(item) {
    return item.fillMode !== undefined && item.sourceSize !== undefined && item.paintedWidth !== undefined
}

function drawn(item) {
    return item.visible && item.opacity > 0
}

// A rectangle with paint: a card, a panel, a frame.
function isPanel(item) {
    return item.border !== undefined && item.radius !== undefined && item.gradient !== undefined
            && (item.color.a > 0 || item.border.width > 0)
}

function shown(item) {
    return drawn(item) && item.width > 0 && item.height > 0
}

function describe(item) {
    var name = item.objectName ? item.objectName : String(item).replace(/\(0x.*/, "")
    if (isText(item))
        return name + " \"" + String(item.text).split("\n")[0].slice(0, 24) + "\""
    if (isImage(item))
        return name + " " + item.source
    return name
}

function inside(rect, width, height) {
    return rect.x >= -slack && rect.y >= -slack
            && rect.x + rect.width <= width + slack && rect.y + rect.height <= height + slack
}

function intersects(a, b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height
}

// Where a text draws its glyphs, which may reach past its own box.
function drawnRect(item) {
    if (!isText(item))
        return Qt.rect(0, 0, item.width, item.height)
    // How much of the spare room lies before the glyphs, across and down.
    var across = item.horizontalAlignment & Qt.AlignRight ? 1 : item.horizontalAlignment & Qt.AlignHCenter ? 0.5 : 0
    var down = item.verticalAlignment & Qt.AlignBottom ? 1 : item.verticalAlignment & Qt.AlignVCenter ? 0.5 : 0
    var room = item.width - item.leftPadding - item.rightPadding, height = item.height - item.topPadding - item.bottomPadding
    return Qt.rect(item.leftPadding + (room - item.contentWidth) * across, item.topPadding + (height - item.contentHeight) * down,
                   item.contentWidth, item.contentHeight)
}

// Follows one text, image or panel up to `root`, checking it against every clipping item,
// scroll area, the page area and the menu on the way.
function placementFaults(item, root, area, menu) {
    var faults = []
    var rect = drawnRect(item)
    // A single line may stand a little taller than a tight box; more lines may not.
    var own = item.lineCount > 1 ? rect : Qt.rect(rect.x, 0, rect.width, item.height)
    if (!inside(own, item.width, item.height))
        faults.push(describe(item) + " runs past its own box: " + rect + " in " + item.width + "x" + item.height)
    var node = item
    while (node !== root && node.parent) {
        var parent = node.parent
        if (isScrollArea(parent) && parent.contentItem === node && parent.interactive) {
            // Content may lie outside the view where scrolling reaches it (for lists
            // scrollFault finds out), never before the content's start or past its end.
            var reach = Qt.rect(rect.x - parent.originX, parent.count === undefined ? rect.y - parent.originY : 0,
                                rect.width, parent.count === undefined ? rect.height : 0)
            if (!inside(reach, Math.max(parent.contentWidth, parent.width), Math.max(parent.contentHeight, parent.height)))
                faults.push(describe(item) + " lies beyond what " + describe(parent) + " scrolls to")
        }
        rect = node.mapToItem(parent, rect.x, rect.y, rect.width, rect.height)
        if (isScrollArea(parent) && parent.contentItem === node) {
            if (!parent.interactive && !inside(rect, parent.width, parent.height))
                faults.push(describe(item) + " is cut by " + describe(parent))
            rect = Qt.rect(0, 0, parent.width, parent.height)
            node = parent
            continue
        }
        if (parent.pathItemCount !== undefined && parent.path !== undefined)
            return faults // slides come and go at the view's edges
        if (String(parent).indexOf("QQuickPopupItem") === 0 && !inside(rect, parent.width, parent.height))
            faults.push(describe(item) + " is drawn outside its popup")
        if (parent.clip && !inside(rect, parent.width, parent.height)) {
            if (!intersects(rect, Qt.rect(0, 0, parent.width, parent.height)))
                return faults // wholly out of sight, as a closed panel's content
            faults.push(describe(item) + " is cut by " + describe(parent))
        }
        if (parent === area) {
            if (!inside(rect, area.width, area.height))
                faults.push(describe(item) + " lies outside the page area at " + rect)
            if (menu && shown(menu)) {
                var onMenu = area.mapToItem(menu, rect.x, rect.y, rect.width, rect.height)
                if (intersects(onMenu, Qt.rect(0, 0, menu.width, menu.height)))
                    faults.push(describe(item) + " lies under the side menu")
            }
            return faults
        }
        node = parent
    }
    if (!inside(rect, root.width, root.height))
        faults.push(describe(item) + " lies outside the window at " + rect)
    return faults
}

function descendants(item, found) {
    for (var i = 0; i < item.children.length; ++i) {
        var child = item.children[i]
        if (drawn(child)) {
            found.push(child)
            descendants(child, found)
        }
    }
    return found
}

// The farthest right and down any content of a scroll area reaches, nested scroll
// areas counted by their own box.
function contentEnd(item, within, end) {
    for (var i = 0; i < item.children.length; ++i) {
        var child = item.children[i]
        if (!drawn(child))
            continue
        if (shown(child)) {
            var r = child.mapToItem(within, 0, 0, child.width, child.height)
            if (r.x + r.width > end.right || r.y + r.height > end.bottom)
                end.item = child
            end.right = Math.max(end.right, r.x + r.width)
            end.bottom = Math.max(end.bottom, r.y + r.height)
        }
        if (!isScrollArea(child) && !child.clip)
            contentEnd(child, within, end)
    }
    return end
}

// Scrolls `view` to its end and tells whether its last item then shows.
function scrollFault(view) {
    if (view.count !== undefined && typeof view.positionViewAtEnd === "function") {
        if (view.count === 0)
            return null
        view.positionViewAtEnd()
        view.forceLayout()
        var last = view.itemAtIndex(view.count - 1)
        if (!last || !inside(last.mapToItem(view, 0, 0, last.width, last.height), view.width, view.height))
            return describe(view) + " stops before its last item"
        return null
    }
    view.contentX = view.originX + Math.max(0, view.contentWidth - view.width)
    view.contentY = view.originY + Math.max(0, view.contentHeight - view.height)
    var end = contentEnd(view.contentItem, view, { right: 0, bottom: 0 })
    if (end.right > view.width + slack || end.bottom > view.height + slack)
        return describe(view) + " stops " + Math.round(Math.max(end.right - view.width, end.bottom - view.height))
                + " px before the end of " + describe(end.item)
    return null
}

// A text, image or panel is at fault when it is out of place both with every scroll area
// at its start and with every one at its end: a table's header, for one, follows
// the table's body sideways.
function faults(root, area, menu) {
    var all = descendants(root, [])
    var placed = all.filter(function (item) {
        return (isText(item) ? String(item.text).trim() !== "" : isImage(item) || isPanel(item)) && shown(item)
    })
    var views = all.filter(function (item) { return isScrollArea(item) && item.interactive })
    var placements = function () { return placed.map(function (item) { return placementFaults(item, root, area, menu) }) }
    var atStart = placements()
    var found = []
    if (area !== root && !inside(area.mapToItem(root, 0, 0, area.width, area.height), root.width, root.height))
        found.push("the page area reaches past the window")
    found = found.concat(views.map(scrollFault).filter(Boolean))
    var atEnd = placements()
    atStart.forEach(function (faults, i) {
        if (faults.length > 0 && atEnd[i].length > 0)
            found = found.concat(faults)
    })
    return found
}
