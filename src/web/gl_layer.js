// SPDX-License-Identifier: MIT
// The WebGL side of the browser build's OpenGL (gl_layer.cpp), on the WebGL
// context that Emscripten's SDL creates for the canvas with the video mode.
// It keeps the context's shader program and corner buffer, and the state
// that the flight sets once at start-up (viewport, clear colour and depth,
// depth test and function), so that it can build both again and set the
// state again when the browser gives back a lost context: the flight then
// draws on from where it was, in wasm memory, where the matrices and the
// corners live.
//
// A corner is six floats: x, y, z, then red, green, blue as glColor3fv had
// them; the vertex shader clamps the colour to [0, 1], as the fixed
// pipeline does before it interpolates the colour across the triangle.
mergeInto(LibraryManager.library, {
  $webglLayer__deps: ['$GL'],
  $webglLayer: {
    gl: null,
    program: null,
    buffer: null,
    bufferBytes: 0,
    matrixLocation: null,
    views: null,
    // OpenGL's initial state, and what the flight changes of it.
    state: {
      viewport: null, // the whole canvas
      clearColour: [0, 0, 0, 0],
      clearDepth: 1,
      depthTest: false,
      depthFunction: 0x0201, // LESS
    },

    // The context, once there is one; sets the layer up on first use.
    context: function() {
      if (!webglLayer.gl) {
        var gl = GL.currentContext.GLctx;
        webglLayer.gl = gl;
        gl.canvas.addEventListener('webglcontextrestored', webglLayer.build);
        webglLayer.build();
      }
      return webglLayer.gl;
    },

    // The program, the buffer and the state, on a new or restored context.
    // On a context already lost again, the calls do nothing and the next
    // restore builds anew.
    build: function() {
      var gl = webglLayer.gl;
      var compile = function(type, source) {
        var shader = gl.createShader(type);
        gl.shaderSource(shader, source);
        gl.compileShader(shader);
        gl.attachShader(program, shader);
      };
      var program = gl.createProgram();
      compile(0x8B31 /* VERTEX_SHADER */,
        'attribute vec3 position; attribute vec3 colour;' +
        'uniform mat4 projection_model_view; varying vec3 shade;' +
        'void main() {' +
        '  gl_Position = projection_model_view * vec4(position, 1.0);' +
        '  shade = clamp(colour, 0.0, 1.0);' +
        '}');
      compile(0x8B30 /* FRAGMENT_SHADER */,
        'precision mediump float; varying vec3 shade;' +
        'void main() { gl_FragColor = vec4(shade, 1.0); }');
      gl.bindAttribLocation(program, 0, 'position');
      gl.bindAttribLocation(program, 1, 'colour');
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, 0x8B82 /* LINK_STATUS */) && !gl.isContextLost()) {
        abort('the WebGL shader of the GL layer does not link: ' + gl.getProgramInfoLog(program));
      }
      gl.useProgram(program);
      webglLayer.program = program;
      webglLayer.matrixLocation = gl.getUniformLocation(program, 'projection_model_view');

      webglLayer.buffer = gl.createBuffer();
      webglLayer.bufferBytes = 0;
      gl.bindBuffer(0x8892 /* ARRAY_BUFFER */, webglLayer.buffer);
      gl.enableVertexAttribArray(0);
      gl.enableVertexAttribArray(1);
      gl.vertexAttribPointer(0, 3, 0x1406 /* FLOAT */, false, 24, 0);
      gl.vertexAttribPointer(1, 3, 0x1406 /* FLOAT */, false, 24, 12);

      var state = webglLayer.state;
      if (state.viewport) gl.viewport.apply(gl, state.viewport);
      gl.clearColor.apply(gl, state.clearColour);
      gl.clearDepth(state.clearDepth);
      if (state.depthTest) gl.enable(0x0B71 /* DEPTH_TEST */);
      gl.depthFunc(state.depthFunction);
    },
  },

  webgl_viewport__deps: ['$webglLayer'],
  webgl_viewport: function(x, y, width, height) {
    webglLayer.state.viewport = [x, y, width, height];
    webglLayer.context().viewport(x, y, width, height);
  },

  webgl_clear_colour__deps: ['$webglLayer'],
  webgl_clear_colour: function(red, green, blue, alpha) {
    webglLayer.state.clearColour = [red, green, blue, alpha];
    webglLayer.context().clearColor(red, green, blue, alpha);
  },

  webgl_clear_depth__deps: ['$webglLayer'],
  webgl_clear_depth: function(depth) {
    webglLayer.state.clearDepth = depth;
    webglLayer.context().clearDepth(depth);
  },

  webgl_enable_depth_test__deps: ['$webglLayer'],
  webgl_enable_depth_test: function() {
    webglLayer.state.depthTest = true;
    webglLayer.context().enable(0x0B71 /* DEPTH_TEST */);
  },

  webgl_depth_function__deps: ['$webglLayer'],
  webgl_depth_function: function(depthFunction) {
    webglLayer.state.depthFunction = depthFunction;
    webglLayer.context().depthFunc(depthFunction);
  },

  webgl_clear__deps: ['$webglLayer'],
  webgl_clear: function(buffers) {
    webglLayer.context().clear(buffers);
  },

  // Draws `count` corners at `corners` in wasm memory as triangles, each
  // corner transformed by the 16 floats at `matrix`: one upload into the
  // buffer (grown when the corners do not fit it) and one draw. The views of
  // wasm memory are kept while they stay the same, as they do from one frame
  // to the next.
  webgl_draw_triangles__deps: ['$webglLayer'],
  webgl_draw_triangles: function(corners, count, matrix) {
    var gl = webglLayer.context();
    var views = webglLayer.views;
    if (!views || views.corners != corners || views.count != count || views.matrix != matrix ||
        views.data.buffer != HEAPF32.buffer) {
      views = webglLayer.views = {
        corners: corners, count: count, matrix: matrix,
        data: HEAPF32.subarray(corners >> 2, (corners >> 2) + count * 6),
        transform: HEAPF32.subarray(matrix >> 2, (matrix >> 2) + 16),
      };
    }
    if (views.data.byteLength > webglLayer.bufferBytes) {
      gl.bufferData(0x8892 /* ARRAY_BUFFER */, views.data, 0x88E8 /* DYNAMIC_DRAW */);
      webglLayer.bufferBytes = views.data.byteLength;
    } else {
      gl.bufferSubData(0x8892 /* ARRAY_BUFFER */, 0, views.data);
    }
    gl.uniformMatrix4fv(webglLayer.matrixLocation, false, views.transform);
    gl.drawArrays(0x0004 /* TRIANGLES */, 0, count);
  },
});
