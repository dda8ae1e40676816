// WebGL 2 drawing with the desktop's fixed-function look: lit per vertex by
// one directional light that turns with the surface, the material and light
// colours of the desktop's rendering state, a black background. A coloured
// mesh is lit as the desktop lights one: each vertex's colour as its
// material, under a white light.
import {projectionMatrix, viewMatrix} from "./camera.js";

const vertexShader = `#version 300 es
uniform mat4 projection;
uniform mat4 view;
uniform bool coloured;
in vec3 position;
in vec3 normal;
in vec3 vertexColour;
out vec3 colour;
// The desktop's material and light (an ambient above 1 on purpose: the
// unlit side glows blue), with OpenGL's default scene ambient of 0.2.
const vec3 materialColour = vec3(0.8, 0.8, 0.5);
const vec3 lightColour = vec3(0.6, 1.0, 1.0);
const vec3 lightAmbient = vec3(0.0, 0.0, 1.1);
const float shininess = 50.0;
// The white light of a coloured mesh: enough ambient that the side away
// from the light still shows its colour.
const float whiteAmbient = 0.45;
const float whiteDiffuse = 0.65;
const float whiteSpecular = 0.35;
void main() {
    mat3 turn = mat3(view);
    // The light is placed with the view's turn, as the desktop sets it
    // after the camera; the eye looks down -z from infinitely far.
    vec3 toLight = normalize(turn * vec3(2.0, -1.0, -1.0));
    vec3 n = turn * normal;
    float diffuse = max(dot(n, toLight), 0.0);
    vec3 halfway = normalize(toLight + vec3(0.0, 0.0, 1.0));
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), shininess) : 0.0;
    if (coloured)
        colour = clamp((0.2 + whiteAmbient + diffuse * whiteDiffuse) * vertexColour +
                       vec3(specular * whiteSpecular), 0.0, 1.0);
    else
        colour = clamp(0.2 * materialColour + lightAmbient * materialColour +
                       diffuse * lightColour * materialColour + specular * lightColour, 0.0, 1.0);
    gl_Position = projection * view * vec4(position, 1.0);
}`;

const fragmentShader = `#version 300 es
precision mediump float;
in vec3 colour;
out vec4 pixel;
void main() { pixel = vec4(colour, 1.0); }`;

function compiled(gl, kind, source) {
    const shader = gl.createShader(kind);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS))
        throw new Error("WebGL could not compile a shader: " + gl.getShaderInfoLog(shader));
    return shader;
}

// A renderer for `canvas`, or an Error when the browser has no WebGL 2.
export function newRenderer(canvas) {
    // Multisampled into a framebuffer of the renderer's own (drawView), so
    // that a frame drawn while the surface moves can do without.
    const gl = canvas.getContext("webgl2", {antialias: false, preserveDrawingBuffer: true});
    if (!gl)
        throw new Error("This browser offers no WebGL 2: the surface cannot be drawn.");
    const program = gl.createProgram();
    gl.attachShader(program, compiled(gl, gl.VERTEX_SHADER, vertexShader));
    gl.attachShader(program, compiled(gl, gl.FRAGMENT_SHADER, fragmentShader));
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS))
        throw new Error("WebGL could not link the shaders: " + gl.getProgramInfoLog(program));
    const buffers = {position: gl.createBuffer(), normal: gl.createBuffer(),
                     colour: gl.createBuffer(), index: gl.createBuffer()};
    const vertexArray = gl.createVertexArray();
    gl.bindVertexArray(vertexArray);
    for (const name of ["position", "normal"]) {
        const location = gl.getAttribLocation(program, name);
        gl.bindBuffer(gl.ARRAY_BUFFER, buffers[name]);
        gl.enableVertexAttribArray(location);
        gl.vertexAttribPointer(location, 3, gl.FLOAT, false, 0, 0);
    }
    const colourLocation = gl.getAttribLocation(program, "vertexColour");
    gl.bindBuffer(gl.ARRAY_BUFFER, buffers.colour);
    gl.vertexAttribPointer(colourLocation, 3, gl.UNSIGNED_BYTE, true, 0, 0);
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, buffers.index);
    gl.bindVertexArray(null);
    return {gl, program, buffers, vertexArray, colourLocation, indexCount: 0, coloured: false,
            multisampled: null};
}

// Hands the mesh's arrays (and its colouring's colours, when it has one)
// to the GPU; the renderer keeps no other copy.
export function uploadMesh(renderer, mesh) {
    const {gl, buffers} = renderer;
    gl.bindVertexArray(renderer.vertexArray);
    gl.bindBuffer(gl.ARRAY_BUFFER, buffers.position);
    gl.bufferData(gl.ARRAY_BUFFER, mesh.positions, gl.STATIC_DRAW);
    gl.bindBuffer(gl.ARRAY_BUFFER, buffers.normal);
    gl.bufferData(gl.ARRAY_BUFFER, mesh.normals, gl.STATIC_DRAW);
    // A plain mesh reads no colour array: the shader takes the material.
    renderer.coloured = Boolean(mesh.colouring);
    if (renderer.coloured) {
        gl.bindBuffer(gl.ARRAY_BUFFER, buffers.colour);
        gl.bufferData(gl.ARRAY_BUFFER, mesh.colouring.colours, gl.STATIC_DRAW);
        gl.enableVertexAttribArray(renderer.colourLocation);
    } else {
        gl.disableVertexAttribArray(renderer.colourLocation);
    }
    gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, mesh.indices, gl.STATIC_DRAW);
    gl.bindVertexArray(null);
    renderer.indexCount = mesh.indices.length;
}

// A framebuffer of 4 samples a pixel (or as many as the browser has) the
// size of the canvas's, made again when that changes.
function multisampledTarget(renderer, width, height) {
    const {gl} = renderer;
    const target = renderer.multisampled;
    if (target && target.width === width && target.height === height)
        return target.framebuffer;
    if (target) {
        gl.deleteFramebuffer(target.framebuffer);
        target.renderbuffers.forEach((buffer) => gl.deleteRenderbuffer(buffer));
    }
    const samples = Math.min(4, gl.getParameter(gl.MAX_SAMPLES));
    const framebuffer = gl.createFramebuffer();
    gl.bindFramebuffer(gl.FRAMEBUFFER, framebuffer);
    const renderbuffers = [[gl.RGBA8, gl.COLOR_ATTACHMENT0], [gl.DEPTH_COMPONENT24, gl.DEPTH_ATTACHMENT]]
        .map(([format, attachment]) => {
            const buffer = gl.createRenderbuffer();
            gl.bindRenderbuffer(gl.RENDERBUFFER, buffer);
            gl.renderbufferStorageMultisample(gl.RENDERBUFFER, samples, format, width, height);
            gl.framebufferRenderbuffer(gl.FRAMEBUFFER, attachment, gl.RENDERBUFFER, buffer);
            return buffer;
        });
    renderer.multisampled = {framebuffer, renderbuffers, width, height};
    return framebuffer;
}

function drawSurface(renderer, camera, width, height) {
    const {gl, program} = renderer;
    gl.viewport(0, 0, width, height);
    gl.clearColor(0, 0, 0, 1);
    gl.clearDepth(1);
    gl.enable(gl.DEPTH_TEST);
    gl.depthFunc(gl.LEQUAL);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    if (renderer.indexCount === 0)
        return;
    gl.useProgram(program);
    gl.uniformMatrix4fv(gl.getUniformLocation(program, "projection"), false,
                        projectionMatrix(width / height));
    gl.uniformMatrix4fv(gl.getUniformLocation(program, "view"), false, viewMatrix(camera));
    gl.uniform1i(gl.getUniformLocation(program, "coloured"), renderer.coloured ? 1 : 0);
    gl.bindVertexArray(renderer.vertexArray);
    gl.drawElements(gl.TRIANGLES, renderer.indexCount, gl.UNSIGNED_INT, 0);
    gl.bindVertexArray(null);
}

// Draws the view, multisampled unless `moving`: a software rasteriser
// takes some three times as long for the samples, and a frame of a drag is
// gone before its edges are seen. The frame after a movement is drawn with
// them again.
export function drawView(renderer, camera, moving = false) {
    const {gl} = renderer;
    const width = gl.drawingBufferWidth, height = gl.drawingBufferHeight;
    if (width === 0 || height === 0)
        return;
    if (moving) {
        gl.bindFramebuffer(gl.FRAMEBUFFER, null);
        drawSurface(renderer, camera, width, height);
        return;
    }
    gl.bindFramebuffer(gl.FRAMEBUFFER, multisampledTarget(renderer, width, height));
    drawSurface(renderer, camera, width, height);
    gl.bindFramebuffer(gl.DRAW_FRAMEBUFFER, null);
    gl.blitFramebuffer(0, 0, width, height, 0, 0, width, height, gl.COLOR_BUFFER_BIT, gl.NEAREST);
    gl.bindFramebuffer(gl.FRAMEBUFFER, null);
}
