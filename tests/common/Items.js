.pragma library

// Searches of a window's item tree, depth first in child order, the root included.

function all(root, test, found) {
    found = found || []
    if (test(root))
        found.push(root)
    for (var i = 0; i < root.children.length; ++i)
        all(root.children[i], test, found)
    return found
}

function first(root, test) {
    if (test(root))
        return root
    for (var i = 0; i < root.children.length; ++i) {
        var hit = first(root.children[i], test)
        if (hit)
            return hit
    }
    return null
}

// Replaces an input's text the way typing does, one character at a time, through the
// editor itself: key events would go to whichever window holds the focus.
function retype(input, text) {
    input.selectAll()
    input.remove(0, input.length)
    for (var i = 0; i < text.length; ++i)
        input.insert(input.cursorPosition, text[i])
}

// The mean of a grabbed image's red, green and blue at (x, y), from 0 (black) to 1.
function brightness(image, x, y) {
    var c = image.pixel(x, y)
    return (c.r + c.g + c.b) / 3
}

function withText(root, text) {
    return first(root, function (item) { return item.text === text })
}
