import QtQuick 2.15
import QtQuick.Window 2.15

// Takes the place of a plugin detail window: remembers what it was opened for.
Window {
    property var openedFor: null
    width: 300
    height: 200
    function init(what) { openedFor = what }
}
