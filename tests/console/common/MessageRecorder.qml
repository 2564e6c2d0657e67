import QtQuick 2.15

// Stands in for the main window's message bar and keeps what it was asked to show.
QtObject {
    property var shown: []

    function record(kind, text) {
        shown = shown.concat([{ kind: kind, text: text }])
    }
    function success(text) { record("success", text) }
    function error(text) { record("error", text) }
    function info(text) { record("info", text) }
    function warning(text) { record("warning", text) }

    function texts(kind) {
        return shown.filter(function(m) { return !kind || m.kind === kind })
                    .map(function(m) { return m.text })
    }
    function clear() { shown = [] }
}
