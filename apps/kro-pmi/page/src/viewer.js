// viewer.js - the script of kro-pmi's page: the part in 3D with its callouts, the saved views and
// the table of annotations, all from the JSON that kro-pmi writes into the page
// (<script type="application/json" id="kro-data">). Nothing is fetched.
//
// What the page knows it was told: which annotations touch a face is the library's tag query as
// kro-pmi ran it when writing the page (`faces[i][5]`); the page never works it out itself.
//
// Data (see KROPmiPage.cpp, which writes it):
//   box            {min, max}: positions are Uint16 per axis inside this box
//   partVertices   how many vertices, from the first, are the part's (faces and edges)
//   positions      base64 Uint16 x, y, z of every vertex (faces, edges and callouts)
//   triangles      base64 Uint32 vertex indices of the faces' triangles, three a triangle
//   segments       base64 Uint32 vertex index pairs of the part's edges
//   calloutLines   base64 Uint32 vertex index pairs of the callouts' strokes
//   calloutFills   base64 Uint32 vertex indices of the callouts' filled triangles
//   faces          [tag, first triangle, triangles, first vertex, vertices, [annotation ids]]
//   annotations    {id, kind, name, pmi, faces, tags, frame, datums, captures, lines, fills, ...}
//   captures       {id, name, direction, up, target, annotations}
import {
  AmbientLight,
  BufferAttribute,
  BufferGeometry,
  Color,
  DirectionalLight,
  DoubleSide,
  LineBasicMaterial,
  LineSegments,
  Mesh,
  MeshBasicMaterial,
  MeshLambertMaterial,
  OrthographicCamera,
  Raycaster,
  Scene,
  Vector2,
  Vector3,
  WebGLRenderer,
} from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';

const KIND_COLOURS = {
  dimension: '#1a59d9',
  tolerance: '#cc1a26',
  datum: '#0d8c33',
  datum_target: '#8c33b3',
  note: '#555555',
};
const FACE = new Color('#b9bfc7');
const FACE_PICKED = new Color('#4da3ff');
const FACE_OF_SELECTION = new Color('#ff8c1a');
const SELECTED = '#ff7300';
const BACKGROUND = new Color('#ffffff');

const STYLE = `
html,body{margin:0;height:100%;font:13px system-ui,sans-serif,"Noto Sans Symbols","Noto Sans Math",Symbola;color:#222}
#kro{display:grid;grid-template-columns:1fr 360px;grid-template-rows:62vh 1fr;height:100vh}
#view{position:relative;border-bottom:1px solid #ccc;overflow:hidden}
#view canvas{display:block}
#side{grid-row:1;grid-column:2;border-left:1px solid #ccc;border-bottom:1px solid #ccc;padding:8px;overflow:auto}
#list{grid-column:1/3;overflow:auto;padding:0 8px}
#side h1{font-size:14px;margin:0 0 6px;word-break:break-all}
#side label{display:block;margin:4px 0}
#info .pmi{white-space:pre-wrap;font-size:14px;margin:4px 0}
#info ul{margin:4px 0;padding-left:18px}#info li{cursor:pointer}#info li:hover{text-decoration:underline}
#tip{position:absolute;pointer-events:none;background:#fffbe6;border:1px solid #bba;padding:2px 6px;white-space:pre;display:none;max-width:420px;overflow:hidden}
#filters{position:sticky;top:0;background:#fff;padding:6px 0;display:flex;gap:8px;align-items:center}
table{border-collapse:collapse;width:100%}td,th{padding:2px 8px;text-align:left;vertical-align:top}
th{position:sticky;top:34px;background:#f3f3f3}
tr.row{cursor:pointer}tr.row:hover{background:#eef}tr.row.sel{background:#ffd9b3}
td.pmi{white-space:pre-wrap}
.dimension{color:${KIND_COLOURS.dimension}}.tolerance{color:${KIND_COLOURS.tolerance}}
.datum{color:${KIND_COLOURS.datum}}.datum_target{color:${KIND_COLOURS.datum_target}}.note{color:${KIND_COLOURS.note}}
#help{color:#777;font-size:12px;margin-top:8px}`;

function decode(base64, Type) {
  const bytes = Uint8Array.from(atob(base64 || ''), (c) => c.charCodeAt(0));
  return new Type(bytes.buffer, 0, bytes.byteLength / Type.BYTES_PER_ELEMENT);
}

function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes)) {
    if (k === 'text') e.textContent = v;
    else e.setAttribute(k, v);
  }
  for (const c of children) e.append(c);
  return e;
}

/// Tags as ranges: "3, 7-9".
function ranges(tags) {
  const out = [];
  for (let i = 0; i < tags.length; ) {
    let j = i;
    while (j + 1 < tags.length && tags[j + 1] === tags[j] + 1) ++j;
    out.push(j > i ? `${tags[i]}-${tags[j]}` : `${tags[i]}`);
    i = j + 1;
  }
  return out.join(', ');
}

const oneLine = (pmi) => pmi.split('\n').map((s) => s.trim()).filter(Boolean).join('; ');

function start() {
  const data = JSON.parse(document.getElementById('kro-data').textContent);
  const annotations = new Map(data.annotations.map((a) => [a.id, a]));
  const captures = new Map(data.captures.map((c) => [c.id, c]));

  // --- geometry: one vertex array for everything, dequantised from the part's box ---
  const q = decode(data.positions, Uint16Array);
  const lo = data.box.min;
  const step = data.box.max.map((m, k) => (m - lo[k]) / 65535);
  const positions = new Float32Array(q.length);
  for (let i = 0; i < q.length; i += 3)
    for (let k = 0; k < 3; ++k) positions[i + k] = lo[k] + q[i + k] * step[k];
  const vertexCount = positions.length / 3;
  const position = new BufferAttribute(positions, 3);

  const faceGeometry = new BufferGeometry();
  // Faces own their vertices (shared within a face only), so each face can take its own colour.
  faceGeometry.setAttribute('position', position);
  faceGeometry.setIndex(new BufferAttribute(decode(data.triangles, Uint32Array), 1));
  faceGeometry.computeVertexNormals();
  const colours = new Float32Array(vertexCount * 3);
  faceGeometry.setAttribute('color', new BufferAttribute(colours, 3));
  const partMesh = new Mesh(
    faceGeometry,
    new MeshLambertMaterial({
      vertexColors: true,
      side: DoubleSide,
      polygonOffset: true,
      polygonOffsetFactor: 1,
      polygonOffsetUnits: 1,
    }),
  );
  const edgeGeometry = new BufferGeometry();
  edgeGeometry.setAttribute('position', position);
  edgeGeometry.setIndex(new BufferAttribute(decode(data.segments, Uint32Array), 1));
  const edges = new LineSegments(edgeGeometry, new LineBasicMaterial({ color: '#30343a' }));

  const faceTags = data.faces.map((f) => f[0]);
  const faceByTag = new Map(data.faces.map((f) => [f[0], f]));
  const faceFirsts = data.faces.map((f) => f[1]);

  const scene = new Scene();
  scene.background = BACKGROUND;
  scene.add(partMesh, edges, new AmbientLight('#ffffff', 1.6));
  const camera = new OrthographicCamera(-1, 1, 1, -1, -1, 1);
  const light = new DirectionalLight('#ffffff', 1.8);
  light.position.set(0.3, 0.6, 1);
  camera.add(light);
  scene.add(camera);

  // --- callouts: an object pair per annotation over the shared vertices ---
  const lineIndex = decode(data.calloutLines, Uint32Array);
  const fillIndex = decode(data.calloutFills, Uint32Array);
  const callouts = new Map(); // id -> {objects, material colour}
  for (const a of data.annotations) {
    const objects = [];
    const colour = KIND_COLOURS[a.kind] || KIND_COLOURS.note;
    const lineMaterial = new LineBasicMaterial({ color: colour });
    const fillMaterial = new MeshBasicMaterial({ color: colour, side: DoubleSide });
    if (a.lines[1] > 0) {
      const g = new BufferGeometry();
      g.setAttribute('position', position);
      g.setIndex(new BufferAttribute(lineIndex.subarray(a.lines[0], a.lines[0] + a.lines[1]), 1));
      objects.push(new LineSegments(g, lineMaterial));
    }
    if (a.fills[1] > 0) {
      const g = new BufferGeometry();
      g.setAttribute('position', position);
      g.setIndex(new BufferAttribute(fillIndex.subarray(a.fills[0], a.fills[0] + a.fills[1]), 1));
      objects.push(new Mesh(g, fillMaterial));
    }
    for (const o of objects) {
      o.userData.annotation = a.id;
      scene.add(o);
    }
    callouts.set(a.id, { objects, lineMaterial, fillMaterial, colour });
  }

  // --- the page around the view ---
  document.head.append(element('style', { text: STYLE }));
  const root = element('div', { id: 'kro' });
  const view = element('div', { id: 'view' });
  const tip = element('div', { id: 'tip' });
  const side = element('div', { id: 'side' });
  const list = element('div', { id: 'list' });
  root.append(view, side, list);
  document.body.append(root);

  const renderer = new WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  view.append(renderer.domElement, tip);
  const controls = new OrbitControls(camera, renderer.domElement);
  controls.enableDamping = false;
  controls.screenSpacePanning = true;

  const viewSelect = element('select', { id: 'views' });
  viewSelect.append(element('option', { value: '0', text: 'all annotations (default view)' }));
  for (const c of data.captures)
    viewSelect.append(
      element('option', { value: String(c.id), text: c.name || `saved view ${c.id}` }),
    );
  const fitButton = element('button', { type: 'button', id: 'fit', text: 'Fit' });
  const info = element('div', { id: 'info' });
  side.append(
    element('h1', { text: data.file }),
    element(
      'div',
      {},
      `${data.annotations.length} annotations, ${data.faces.length} faces, ` +
        `${data.captures.length} saved views`,
    ),
    element('label', {}, 'Saved view ', viewSelect, ' ', fitButton),
    info,
    element('div', {
      id: 'help',
      text:
        'Drag to turn, right-drag to pan, wheel to zoom. Click a face for its annotations, ' +
        'a callout or a row for its faces; Esc clears.',
    }),
  );

  const kindSelect = element('select', { id: 'kind' });
  kindSelect.append(element('option', { value: '', text: 'every kind' }));
  for (const kind of [...new Set(data.annotations.map((a) => a.kind))])
    kindSelect.append(element('option', { value: kind, text: kind }));
  const textFilter = element('input', { id: 'filter', type: 'search', placeholder: 'filter text' });
  const tbody = element('tbody');
  const table = element(
    'table',
    { id: 'annotations' },
    element(
      'thead',
      {},
      element(
        'tr',
        {},
        ...['id', 'kind', 'pmi', 'name', 'faces', 'saved views'].map((h) =>
          element('th', { text: h }),
        ),
      ),
    ),
    tbody,
  );
  list.append(element('div', { id: 'filters' }, 'Show ', kindSelect, textFilter), table);
  const rows = new Map();
  const captureNames = (ids) =>
    ids.map((id) => captures.get(id)?.name || `saved view ${id}`).join(', ');
  for (const a of data.annotations) {
    const row = element(
      'tr',
      { class: 'row', id: `row-a${a.id}`, 'data-id': String(a.id) },
      element('td', { text: String(a.id) }),
      element('td', { class: a.kind, text: a.kind }),
      element('td', { class: 'pmi', text: a.pmi }),
      element('td', { text: a.name }),
      element('td', { text: ranges(a.faces) }),
      element('td', { text: captureNames(a.captures) }),
    );
    row.addEventListener('click', () => choose(a.id));
    rows.set(a.id, row);
    tbody.append(row);
  }
  function filter() {
    const kind = kindSelect.value;
    const text = textFilter.value.trim().toLowerCase();
    for (const a of data.annotations) {
      const hay = `${a.id} ${a.kind} ${a.name} ${a.pmi}`.toLowerCase();
      rows.get(a.id).hidden = (kind && a.kind !== kind) || (text && !hay.includes(text));
    }
  }
  kindSelect.addEventListener('change', filter);
  textFilter.addEventListener('input', filter);

  // --- state: what is chosen, what is shown ---
  let selected = 0; // annotation id
  let pickedFace = 0; // face tag
  let shownView = 0; // capture id, 0: every annotation
  const shown = () =>
    shownView ? new Set(captures.get(shownView).annotations) : new Set(annotations.keys());

  function paintFaces() {
    for (let v = 0; v < vertexCount; ++v) FACE.toArray(colours, v * 3);
    const paint = (tag, c) => {
      const f = faceByTag.get(tag);
      if (f) for (let v = f[3]; v < f[3] + f[4]; ++v) c.toArray(colours, v * 3);
    };
    if (selected) for (const tag of annotations.get(selected).faces) paint(tag, FACE_OF_SELECTION);
    if (pickedFace) paint(pickedFace, FACE_PICKED);
    faceGeometry.attributes.color.needsUpdate = true;
  }

  function paintCallouts() {
    const visible = shown();
    for (const [id, c] of callouts) {
      const colour = id === selected ? SELECTED : c.colour;
      c.lineMaterial.color.set(colour);
      c.fillMaterial.color.set(colour);
      for (const o of c.objects) o.visible = visible.has(id);
    }
  }

  const listItem = (id) => {
    const a = annotations.get(id);
    const li = element('li', { 'data-id': String(id) });
    li.append(element('span', { class: a.kind, text: `${id} ${a.kind}` }), ` ${oneLine(a.pmi)}`);
    li.addEventListener('click', () => choose(id));
    return li;
  };

  function describe() {
    info.replaceChildren();
    if (pickedFace) {
      const f = faceByTag.get(pickedFace);
      const ids = f[5];
      const panel = element('div', { id: 'face-panel', 'data-tag': String(pickedFace) });
      panel.append(
        element('b', {
          text: `Face ${pickedFace}: ${ids.length} annotation${ids.length === 1 ? '' : 's'}`,
        }),
        element('ul', {}, ...ids.map(listItem)),
      );
      info.append(panel);
    }
    if (selected) {
      const a = annotations.get(selected);
      const panel = element('div', { id: 'annotation-panel', 'data-id': String(a.id) });
      panel.append(
        element('b', { class: a.kind, text: `Annotation ${a.id}: ${a.kind}` }),
        element('div', { class: 'pmi', text: a.pmi || '(no text)' }),
        element('div', { text: a.name }),
        element('div', { text: `faces: ${ranges(a.faces) || 'none'}` }),
      );
      if (a.captures.length) panel.append(element('div', { text: `in: ${captureNames(a.captures)}` }));
      if (a.frame) {
        panel.append(
          element('div', { text: `datum system ${a.frame.id}: ${a.frame.pmi}` }),
          element('ul', { id: 'datums' }, ...a.frame.datums.map(listItem)),
        );
      }
      info.append(panel);
    }
  }

  // --- camera ---
  const frame = { halfWidth: 1, halfHeight: 1 }; // what the last fit framed, camera units
  // The part's own vertices come first (faces, then edges), the callouts' after them.
  const partVertices = data.partVertices;
  /// Calls `f(x, y, z)` for each vertex of the part and of the shown callouts.
  function eachShownPoint(f) {
    for (let v = 0; v < partVertices; ++v)
      f(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
    for (const id of shown()) {
      const a = annotations.get(id);
      for (const [first, count, index] of [
        [a.lines[0], a.lines[1], lineIndex],
        [a.fills[0], a.fills[1], fillIndex],
      ])
        for (let i = first; i < first + count; ++i) {
          const v = index[i];
          f(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
        }
    }
  }

  // Looks along `direction` with `up` up, and frames the part and the shown callouts: every
  // point of theirs as the camera sees it, with a margin.
  function fit(direction, up) {
    const lo = new Vector3(Infinity, Infinity, Infinity);
    const hi = new Vector3(-Infinity, -Infinity, -Infinity);
    const p = new Vector3();
    eachShownPoint((x, y, z) => {
      p.set(x, y, z);
      lo.min(p);
      hi.max(p);
    });
    if (lo.x > hi.x) lo.set(...data.box.min), hi.set(...data.box.max);
    const centre = lo.clone().add(hi).multiplyScalar(0.5);
    const radius = Math.max(hi.distanceTo(lo) / 2, 1e-6);
    camera.up.copy(up).normalize();
    camera.position.copy(centre).addScaledVector(direction.clone().normalize(), -4 * radius);
    camera.near = 0;
    camera.far = 8 * radius;
    camera.zoom = 1;
    camera.lookAt(centre);
    camera.updateMatrixWorld();
    const m = camera.matrixWorldInverse.elements;
    let x0 = Infinity;
    let x1 = -Infinity;
    let y0 = Infinity;
    let y1 = -Infinity;
    eachShownPoint((x, y, z) => {
      const cx = m[0] * x + m[4] * y + m[8] * z + m[12];
      const cy = m[1] * x + m[5] * y + m[9] * z + m[13];
      x0 = Math.min(x0, cx);
      x1 = Math.max(x1, cx);
      y0 = Math.min(y0, cy);
      y1 = Math.max(y1, cy);
    });
    if (!(x0 <= x1)) (x0 = y0 = -radius), (x1 = y1 = radius);
    const shift = new Vector3()
      .setFromMatrixColumn(camera.matrixWorld, 0)
      .multiplyScalar((x0 + x1) / 2)
      .addScaledVector(new Vector3().setFromMatrixColumn(camera.matrixWorld, 1), (y0 + y1) / 2);
    camera.position.add(shift);
    controls.target.copy(centre).add(shift);
    frame.halfWidth = Math.max((x1 - x0) / 2, 1e-6);
    frame.halfHeight = Math.max((y1 - y0) / 2, 1e-6);
    resize();
    controls.update();
  }

  // The default camera: of the eight isometric views, the one that sees most callouts from the
  // front (so their text does not read mirrored); z up.
  function defaultDirection() {
    let best = new Vector3(1, -1, -1);
    let most = -1;
    for (const sx of [-1, 1])
      for (const sy of [-1, 1])
        for (const sz of [1, -1]) {
          const d = new Vector3(sx, sy, sz);
          const front = data.annotations.filter(
            (a) => a.normal && new Vector3(...a.normal).dot(d) < 0,
          ).length;
          if (front > most) {
            most = front;
            best = d;
          }
        }
    return best;
  }

  function showView(id) {
    shownView = captures.has(id) ? id : 0;
    viewSelect.value = String(shownView);
    paintCallouts();
    const c = captures.get(shownView);
    const usable = c && new Vector3(...c.direction).cross(new Vector3(...c.up)).lengthSq() > 1e-12;
    if (usable) fit(new Vector3(...c.direction), new Vector3(...c.up));
    else fit(defaultDirection(), new Vector3(0, 0, 1));
    render();
  }
  viewSelect.addEventListener('change', () => showView(Number(viewSelect.value)));
  fitButton.addEventListener('click', () => showView(shownView));

  function resize() {
    const w = Math.max(view.clientWidth, 1);
    const h = Math.max(view.clientHeight, 1);
    renderer.setSize(w, h);
    const aspect = w / h;
    const half = Math.max(frame.halfHeight, frame.halfWidth / aspect) * 1.06;
    camera.left = -half * aspect;
    camera.right = half * aspect;
    camera.top = half;
    camera.bottom = -half;
    camera.updateProjectionMatrix();
  }
  window.addEventListener('resize', () => {
    resize();
    render();
  });

  let drawn = null;
  let firstFrame = null;
  let frameRequested = false;
  function render() {
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(() => {
      frameRequested = false;
      renderer.render(scene, camera);
      if (!firstFrame) {
        firstFrame = performance.now();
        drawn();
      }
    });
  }
  const ready = new Promise((resolve) => (drawn = resolve));
  controls.addEventListener('change', render);

  // --- picking: the callout or face under a pixel ---
  const raycaster = new Raycaster();
  const ndc = new Vector2();
  function pick(x, y) {
    const w = view.clientWidth;
    const h = view.clientHeight;
    ndc.set((x / w) * 2 - 1, -(y / h) * 2 + 1);
    raycaster.setFromCamera(ndc, camera);
    // Four pixels around a stroke still pick it.
    raycaster.params.Line.threshold = (4 * (camera.top - camera.bottom)) / camera.zoom / h;
    const targets = [partMesh];
    for (const c of callouts.values()) for (const o of c.objects) if (o.visible) targets.push(o);
    const hits = raycaster.intersectObjects(targets, false);
    if (!hits.length) return {};
    const faceHit = hits.find((h) => h.object === partMesh);
    const calloutHit = hits.find((h) => h.object !== partMesh);
    // A callout drawn on a face wins over the face (the face is pushed back when drawn).
    if (calloutHit && (!faceHit || calloutHit.distance <= faceHit.distance + 1e-3 * camera.far))
      return { annotation: calloutHit.object.userData.annotation };
    let lo = 0;
    let hi = faceFirsts.length - 1;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (faceFirsts[mid] <= faceHit.faceIndex) lo = mid;
      else hi = mid - 1;
    }
    return { face: faceTags[lo] };
  }

  function choose(id, fromHash = false) {
    selected = annotations.has(id) ? id : 0;
    for (const [rid, row] of rows) row.classList.toggle('sel', rid === selected);
    if (selected) {
      const row = rows.get(selected);
      if (!fromHash || row.offsetParent) row.scrollIntoView({ block: 'nearest' });
    }
    const hash = selected ? `#a${selected}` : '';
    if (location.hash !== hash) history.replaceState(null, '', hash || location.pathname);
    paintFaces();
    paintCallouts();
    describe();
    render();
  }

  function pickFace(tag) {
    pickedFace = faceByTag.has(tag) ? tag : 0;
    paintFaces();
    describe();
    render();
  }

  const at = (event) => {
    const r = renderer.domElement.getBoundingClientRect();
    return [event.clientX - r.left, event.clientY - r.top];
  };
  let down = null;
  renderer.domElement.addEventListener('pointerdown', (e) => (down = at(e)));
  renderer.domElement.addEventListener('pointerup', (e) => {
    const [x, y] = at(e);
    // A drag turns the part; only a click picks.
    if (!down || Math.hypot(x - down[0], y - down[1]) > 3) return;
    const hit = pick(x, y);
    if (hit.annotation) choose(hit.annotation);
    else if (hit.face) {
      pickedFace = 0;
      pickFace(hit.face);
    } else {
      pickedFace = 0;
      choose(0);
    }
  });
  let hoverPending = false;
  renderer.domElement.addEventListener('pointermove', (e) => {
    if (e.buttons || hoverPending) return;
    hoverPending = true;
    requestAnimationFrame(() => {
      hoverPending = false;
      const [x, y] = at(e);
      const hit = pick(x, y);
      let text = '';
      if (hit.face) text = `face ${hit.face}`;
      if (hit.annotation) {
        const a = annotations.get(hit.annotation);
        text = `${a.id} ${a.kind}\n${a.pmi}`;
      }
      tip.textContent = text;
      tip.style.display = text ? 'block' : 'none';
      tip.style.left = `${x + 14}px`;
      tip.style.top = `${y + 14}px`;
    });
  });
  renderer.domElement.addEventListener('pointerleave', () => (tip.style.display = 'none'));

  const fromHash = () => {
    const m = /^#a(\d+)$/.exec(location.hash);
    choose(m ? Number(m[1]) : 0, true);
  };
  window.addEventListener('hashchange', fromHash);
  window.addEventListener('keydown', (e) => {
    if (e.key !== 'Escape') return;
    pickedFace = 0;
    choose(0);
  });

  // --- for tests: what the page itself shows, pixel by pixel ---
  const project = new Vector3();
  window.kroTest = {
    ready: ready.then(() => ({ firstFrameMs: firstFrame })),
    /// The face tag, or the annotation id, under pixel (x, y) of the view.
    faceAt: (x, y) => pick(x, y).face || 0,
    annotationAt: (x, y) => pick(x, y).annotation || 0,
    /// A pixel of the view at which a click picks face `tag`, or null when none is visible.
    pixelOfFace(tag) {
      const f = faceByTag.get(tag);
      if (!f) return null;
      const index = faceGeometry.index.array;
      const w = view.clientWidth;
      const h = view.clientHeight;
      const candidates = [];
      for (let t = f[1]; t < f[1] + f[2]; ++t) {
        const c = [0, 1, 2].map((k) => {
          project.fromArray(positions, index[3 * t + k] * 3).project(camera);
          return [((project.x + 1) / 2) * w, ((1 - project.y) / 2) * h];
        });
        const area = Math.abs(
          (c[1][0] - c[0][0]) * (c[2][1] - c[0][1]) - (c[2][0] - c[0][0]) * (c[1][1] - c[0][1]),
        );
        candidates.push([area, (c[0][0] + c[1][0] + c[2][0]) / 3, (c[0][1] + c[1][1] + c[2][1]) / 3]);
      }
      candidates.sort((a, b) => b[0] - a[0]);
      for (const [area, x, y] of candidates.slice(0, 300)) {
        const px = Math.round(x);
        const py = Math.round(y);
        if (area < 2 || px < 2 || py < 2 || px > w - 3 || py > h - 3) continue;
        // Its neighbours too, so that a pixel is not on the face's edge line.
        const around = [[0, 0], [-2, 0], [2, 0], [0, -2], [0, 2]];
        if (around.every(([dx, dy]) => pick(px + dx, py + dy).face === tag)) return { x: px, y: py };
      }
      return null;
    },
    /// The view's pixel (x, y) as drawn: [r, g, b].
    pixel(x, y) {
      const gl = renderer.getContext();
      const s = renderer.getPixelRatio();
      const out = new Uint8Array(4);
      gl.readPixels(
        Math.round(x * s),
        Math.round(gl.drawingBufferHeight - 1 - y * s),
        1,
        1,
        gl.RGBA,
        gl.UNSIGNED_BYTE,
        out,
      );
      return [out[0], out[1], out[2]];
    },
    /// Pixels of the view drawn in another colour than the background.
    inked() {
      const gl = renderer.getContext();
      const w = gl.drawingBufferWidth;
      const h = gl.drawingBufferHeight;
      const px = new Uint8Array(w * h * 4);
      gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, px);
      const bg = BACKGROUND.toArray().map((c) => Math.round(c * 255));
      let n = 0;
      for (let i = 0; i < px.length; i += 4)
        if (px[i] !== bg[0] || px[i + 1] !== bg[1] || px[i + 2] !== bg[2]) ++n;
      return n;
    },
    /// Resolves once the frames asked for so far are drawn.
    drawn: () => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))),
    camera: () => ({
      position: camera.position.toArray(),
      direction: camera.getWorldDirection(new Vector3()).toArray(),
    }),
    /// Annotation ids whose callouts are drawn.
    shown: () =>
      [...callouts]
        .filter(([, c]) => c.objects.some((o) => o.visible))
        .map(([id]) => id),
    selected: () => selected,
  };

  showView(0);
  fromHash();
  render();
}

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
else start();
