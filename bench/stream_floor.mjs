// SPDX-License-Identifier: MIT
// The streaming floor page of bench/web_bench.mjs: what WebGL itself costs
// for a frame like the flight's, with the flight's context attributes,
// canvas and window.flight record. A tube of 256 rings of 16 coloured
// vertices (4096 vertices, 8192 triangles), seen from inside while the
// camera flies along it, depth-tested on a 640x480 canvas. Its 24,576
// corners (position, then a colour to be clamped, as the flight's layer
// sends them) are built once and re-sent every frame with one
// bufferSubData, then drawn with one drawArrays, through the same shader as
// the flight's. #frame=N stops after frame N; without it, it flies on.
export const STREAM_FLOOR_PAGE = `<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>streaming floor</title></head><body>
<canvas id="canvas" width="640" height="480"></canvas>
<script>
'use strict';
window.flight = { frames: 0, firstFrameMs: null, lastFrameMs: null, ended: false };
const link = /^#frame=(\\d+)$/.exec(location.hash);
const last = link ? Number(link[1]) : Infinity;
const gl = document.getElementById('canvas').getContext('webgl',
  { alpha: false, antialias: false, depth: true, stencil: false });

const RINGS = 256, SIDES = 16, RADIUS = 4, THICKNESS = 0.5;
const vertex = (ring, side) => {
  const a = 2 * Math.PI * (ring % RINGS) / RINGS, b = 2 * Math.PI * (side % SIDES) / SIDES;
  const r = RADIUS + THICKNESS * Math.cos(b);
  const band = [[4, 0, 0], [3, 3, 0], [0, 2, 0], [0, 3, 3], [0, 0, 2], [3, 3, 4]][ring % 6];
  return [r * Math.cos(a), r * Math.sin(a), THICKNESS * Math.sin(b), ...band];
};
const corners = new Float32Array(RINGS * SIDES * 2 * 3 * 6);
let at = 0;
for (let ring = 0; ring < RINGS; ++ring) {
  for (let side = 0; side < SIDES; ++side) {
    for (const [dr, ds] of [[0, 0], [1, 0], [1, 1], [0, 0], [1, 1], [0, 1]]) {
      corners.set(vertex(ring + dr, side + ds), at);
      at += 6;
    }
  }
}

const program = gl.createProgram();
for (const [type, source] of [[gl.VERTEX_SHADER,
    'attribute vec3 position; attribute vec3 colour;' +
    'uniform mat4 projection_model_view; varying vec3 shade;' +
    'void main() { gl_Position = projection_model_view * vec4(position, 1.0);' +
    '  shade = clamp(colour, 0.0, 1.0); }'],
  [gl.FRAGMENT_SHADER, 'precision mediump float; varying vec3 shade;' +
    'void main() { gl_FragColor = vec4(shade, 1.0); }']]) {
  const shader = gl.createShader(type);
  gl.shaderSource(shader, source);
  gl.compileShader(shader);
  gl.attachShader(program, shader);
}
gl.bindAttribLocation(program, 0, 'position');
gl.bindAttribLocation(program, 1, 'colour');
gl.linkProgram(program);
gl.useProgram(program);
const matrixLocation = gl.getUniformLocation(program, 'projection_model_view');
gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
gl.bufferData(gl.ARRAY_BUFFER, corners.byteLength, gl.DYNAMIC_DRAW);
gl.enableVertexAttribArray(0);
gl.enableVertexAttribArray(1);
gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 24, 0);
gl.vertexAttribPointer(1, 3, gl.FLOAT, false, 24, 12);
gl.viewport(0, 0, 640, 480);
gl.clearColor(0, 0, 0, 0.5);
gl.clearDepth(1);
gl.enable(gl.DEPTH_TEST);
gl.depthFunc(gl.LEQUAL);

// Column-major 4x4 matrices: the projection of 40 degrees at 4:3 from 0.1
// to 1000, times the view from a point of the tube's centre line to the
// point ten degrees further on.
const f = 1 / Math.tan(20 * Math.PI / 180);
const projection = [f * 0.75, 0, 0, 0, 0, f, 0, 0, 0, 0, -1000.1 / 999.9, -1, 0, 0, -200 / 999.9, 0];
const multiply = (a, b) => Array.from({ length: 16 }, (_, i) =>
  [0, 1, 2, 3].reduce((sum, k) => sum + a[4 * k + i % 4] * b[4 * Math.floor(i / 4) + k], 0));
const onCentre = (degrees) => [RADIUS * Math.cos(degrees * Math.PI / 180),
  RADIUS * Math.sin(degrees * Math.PI / 180), 0];
const unit = (v) => { const l = Math.hypot(...v); return v.map((x) => x / l); };
const crossed = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
function view(frame) {
  const eye = onCentre(frame), centre = onCentre(frame + 10);
  const forward = unit(centre.map((x, i) => x - eye[i]));
  const side = unit(crossed(forward, [0, 0, 1]));
  const up = crossed(side, forward);
  const rotation = [side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
    side[2], up[2], -forward[2], 0, 0, 0, 0, 1];
  const translation = [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -eye[0], -eye[1], -eye[2], 1];
  return multiply(rotation, translation);
}

function frame() {
  const number = window.flight.frames + 1;
  gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  gl.bufferSubData(gl.ARRAY_BUFFER, 0, corners);
  gl.uniformMatrix4fv(matrixLocation, false, new Float32Array(multiply(projection, view(number))));
  gl.drawArrays(gl.TRIANGLES, 0, corners.length / 6);
  const now = performance.now();
  window.flight.frames = number;
  window.flight.lastFrameMs = now;
  window.flight.firstFrameMs ??= now;
  if (number < last) requestAnimationFrame(frame);
  else window.flight.ended = true;
}
requestAnimationFrame(frame);
</script></body></html>`;
