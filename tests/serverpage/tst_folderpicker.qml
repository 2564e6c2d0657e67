import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import "qrc:/Component"
import "../common/Items.js" as Items

// The folder picker in a real window, over the folders CMake made in the work folder.
TestCase {
    name: "FolderPicker"
    when: windowShown

    FolderPicker { id: picker }
    SignalSpy { id: accepted; target: picker; signalName: "accepted" }
    SignalSpy { id: rejected; target: picker; signalName: "rejected" }

    function init() {
        accepted.clear()
        rejected.clear()
        picker.open("picker")
        // note.txt is not listed.
        tryVerify(function() { return picker.visible && list().count === 2 })
    }

    function cleanup() {
        picker.hide()
    }

    function list() {
        return findChild(picker.contentItem, "folderPickerList")
    }

    // The row of a listed folder, once the view has laid it out.
    function row(name) {
        return Items.first(list().contentItem, item => item.fileName === name)
    }

    function test_accept_data() {
        return [
            { tag: "picked sub-folder", pick: "a #1%20", enter: "", expected: "/a #1%20" },
            { tag: "the folder shown", pick: "", enter: "", expected: "" },
            { tag: "entered by double-click", pick: "内层", enter: "中文 目录", expected: "/中文 目录/内层" }
        ]
    }

    function test_accept(data) {
        var base = picker.folderPath
        if (data.enter !== "") {
            mouseDoubleClickSequence(row(data.enter))
            tryVerify(function() { return row(data.pick) !== null })
        }
        if (data.pick !== "")
            mouseClick(row(data.pick))
        mouseClick(findChild(picker.contentItem, "folderPickerOk"))
        compare(accepted.count, 1)
        compare(accepted.signalArguments[0][0], base + data.expected)
        verify(QmlTool.isFolder(accepted.signalArguments[0][0]))
        verify(!picker.visible)
    }

    function test_cancel_and_refusals() {
        compare(picker.title, "请选择保存路径")
        verify(!picker.accept("picker/missing"))
        verify(picker.visible)
        verify(findChild(picker.contentItem, "folderPickerProblem").text.indexOf("文件夹不存在") === 0)
        verify(!picker.accept("picker/note.txt"))
        mouseClick(findChild(picker.contentItem, "folderPickerCancel"))
        compare(rejected.count, 1)
        compare(accepted.count, 0)
        verify(!picker.visible)
    }
}
