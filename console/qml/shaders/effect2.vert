uniform highp mat4 qt_Matrix;
attribute highp vec4 qt_Vertex;
// Declared because the scene graph binds both default mesh attributes; the stage does not need it.
attribute highp vec2 qt_MultiTexCoord0;
varying highp vec2 fragCoord;

void main()
{
    // The fragment stage works in item pixels, so the vertex position goes through untouched.
    fragCoord = qt_Vertex.xy;
    gl_Position = qt_Matrix * qt_Vertex;
}
