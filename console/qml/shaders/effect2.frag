uniform lowp float qt_Opacity;
uniform highp vec3 iResolution;
uniform highp float iTime;
varying highp vec2 fragCoord;

highp vec2 hash(highp vec2 p)
{
    p = vec2(dot(p, vec2(2127.1, 81.17)), dot(p, vec2(1269.5, 283.37)));
    return fract(sin(p) * 43758.5453);
}

// Gradient noise mapped to 0..1.
highp float noise(highp vec2 p)
{
    highp vec2 i = floor(p);
    highp vec2 f = fract(p);
    highp vec2 u = f * f * (3.0 - 2.0 * f);
    highp float n00 = dot(-1.0 + 2.0 * hash(i + vec2(0.0, 0.0)), f - vec2(0.0, 0.0));
    highp float n10 = dot(-1.0 + 2.0 * hash(i + vec2(1.0, 0.0)), f - vec2(1.0, 0.0));
    highp float n01 = dot(-1.0 + 2.0 * hash(i + vec2(0.0, 1.0)), f - vec2(0.0, 1.0));
    highp float n11 = dot(-1.0 + 2.0 * hash(i + vec2(1.0, 1.0)), f - vec2(1.0, 1.0));
    return 0.5 + 0.5 * mix(mix(n00, n10, u.x), mix(n01, n11, u.x), u.y);
}

highp vec2 rotate(highp vec2 v, highp float degrees)
{
    highp float a = radians(degrees);
    highp float c = cos(a);
    highp float s = sin(a);
    return vec2(v.x * c - v.y * s, v.x * s + v.y * c);
}

void main()
{
    highp vec2 uv = fragCoord / iResolution.xy;
    highp float ratio = iResolution.x / iResolution.y;
    highp vec2 t = uv - vec2(0.5);

    highp float d = noise(vec2(iTime * 0.1, t.x * t.y));

    t.y /= ratio;
    t = rotate(t, (d - 0.5) * 720.0 + 180.0);
    t.y *= ratio;

    highp float frequency = 5.0;
    highp float amplitude = 30.0;
    highp float speed = iTime * 2.0;
    t.x += sin(t.y * frequency + speed) / amplitude;
    t.y += sin(t.x * frequency * 1.5 + speed) / (amplitude * 0.5);

    highp float k = smoothstep(-0.3, 0.2, rotate(t, -5.0).x);
    highp vec3 layer1 = mix(vec3(0.957, 0.804, 0.623), vec3(0.192, 0.384, 0.933), k);
    highp vec3 layer2 = mix(vec3(0.910, 0.510, 0.8), vec3(0.350, 0.71, 0.953), k);

    // Falling edge (0.5 down to -0.3) written out: smoothstep with edge0 > edge1 is undefined in GLSL.
    highp float v = clamp((t.y - 0.5) / (-0.3 - 0.5), 0.0, 1.0);
    highp float w = v * v * (3.0 - 2.0 * v);

    gl_FragColor = vec4(mix(layer1, layer2, w), 1.0) * qt_Opacity;
}
