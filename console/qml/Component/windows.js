.pragma library

// A page's secondary window, made when first asked for and destroyed when
// closed; forget(window) runs first, so the opener drops its reference and the
// next request makes a new one. Null, with the reason logged, when the document
// cannot be made into a window.
function create(url, parent, forget) {
    const component = Qt.createComponent(url);
    const window = component.createObject(parent);
    if (!window) {
        console.warn("Window unavailable:", url, component.errorString());
        return null;
    }
    window.closing.connect(function () {
        forget(window);
        window.destroy();
    });
    return window;
}
