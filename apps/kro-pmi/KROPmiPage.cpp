// KROPmiPage.cpp - writes the page. Each picture is drawn with every face shaded, so that the
// script can light up any annotation's faces; the renderer's item list tells it which SVG path
// is which face or annotation, in the order cairo wrote them.
#include "KROPmiPage.h"
#include "KROPmiPictures.h"

#include "KROITPSLight.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightModel.h"

#include <nlohmann/json.hpp>

namespace {

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string Text(KROWChar* t) {
  std::string s = t ? KROStepUtf8(t) : std::string();
  delete[] t;
  return s;
}

/// JSON that may sit inside a <script> element: no "</" can close it early.
std::string ScriptJson(const nlohmann::json& j) {
  std::string s = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '<') {
      out += "\\u003c";
      continue;
    }
    out += s[i];
  }
  return out;
}

const char* kStyle = R"(body{font:14px sans-serif,"Segoe UI Symbol","Apple Symbols","Noto Sans Symbols","Noto Sans Math",Symbola;margin:1em;color:#222}
#cameras button{margin:0 .3em .5em 0}#cameras button.on{font-weight:bold}
.picture{display:none;border:1px solid #ccc;width:max-content}.picture.on{display:block}
table{border-collapse:collapse;margin-top:1em}td,th{padding:2px 8px;text-align:left}
tr.row{cursor:pointer}tr.row:hover{background:#eef}tr.sel{background:#ffd9b3}
path.hl[data-a]{stroke:#ff7300!important;stroke-width:3px!important}
path.hl[data-face]{fill:#ffa040!important}
.dimension{color:#1a59d9}.tolerance{color:#cc1a26}.datum{color:#0d8c33}.datum_target{color:#8c33b3})";

// Marks every path with what it stands for, then selects the annotation the fragment names.
const char* kScript = R"(
function mark(){
  document.querySelectorAll('.picture').forEach(function(div,p){
    var paths=div.querySelectorAll('g[id^="surface"] path');
    items[p].forEach(function(it,i){
      if(!paths[i])return;
      if(it[0]==='f')paths[i].setAttribute('data-face',it[1]);
      else if(it[0]==='a')paths[i].setAttribute('data-a',it[1]);
    });
  });
}
function select(id){
  document.querySelectorAll('.hl').forEach(function(e){e.classList.remove('hl');});
  document.querySelectorAll('tr.sel').forEach(function(e){e.classList.remove('sel');});
  var row=document.getElementById('row-a'+id);
  if(!row)return;
  row.classList.add('sel');
  document.querySelectorAll('path[data-a="'+id+'"]').forEach(function(e){e.classList.add('hl');});
  (tags[id]||[]).forEach(function(t){
    document.querySelectorAll('path[data-face="'+t+'"]').forEach(function(e){e.classList.add('hl');});
  });
}
function camera(c){
  document.querySelectorAll('.picture').forEach(function(d,i){d.classList.toggle('on',i===c);});
  document.querySelectorAll('#cameras button').forEach(function(b,i){b.classList.toggle('on',i===c);});
}
function fromHash(){var m=/^#a(\d+)$/.exec(location.hash);select(m?m[1]:0);}
mark();camera(0);fromHash();
window.addEventListener('hashchange',fromHash);
document.querySelectorAll('tr.row').forEach(function(r){
  r.addEventListener('click',function(){location.hash='a'+r.getAttribute('data-id');});
});
document.querySelectorAll('#cameras button').forEach(function(b,i){
  b.addEventListener('click',function(){camera(i);});
});
)";

} // namespace

bool KROPmiPage(const std::string& file, const KROStepImportResult& r, const KRORenderScene& scene,
                const KRORenderOptions& options, std::string& page, std::string& why) {
  struct Camera {
    std::string name;
    std::optional<KRORenderCamera> camera;
  };
  std::vector<Camera> cameras{{options.camera ? "chosen capture" : "default", options.camera}};
  for (const KROPmiCapture& c : KROPmiCaptures(r))
    cameras.push_back({c.name.empty() ? "capture " + std::to_string(c.index) : c.name,
                       KRORenderCameraOf(c.capture.Get())});

  std::string pictures, buttons;
  nlohmann::json items = nlohmann::json::array();
  for (const Camera& c : cameras) {
    KRORenderOptions o = options;
    o.camera = c.camera;
    o.shadeAllFaces = true;
    KRORenderOutput svg;
    if (!KRORenderSVG(scene, o, svg)) {
      why = svg.error;
      return false;
    }
    nlohmann::json list = nlohmann::json::array();
    for (const KRORenderItem& it : svg.items)
      list.push_back({it.kind == KRORenderItem::Kind::Face    ? "f"
                      : it.kind == KRORenderItem::Kind::Edges ? "e"
                                                              : "a",
                      it.id});
    items.push_back(std::move(list));
    // The SVG goes inline: drop cairo's XML declaration.
    std::string body = svg.bytes;
    if (body.rfind("<?xml", 0) == 0) body.erase(0, body.find("?>") + 2);
    pictures += "<div class=\"picture\">" + body + "</div>\n";
    buttons += "<button type=\"button\">" + Escape(c.name) + "</button>";
  }

  std::string rows;
  nlohmann::json tags = nlohmann::json::object();
  for (const KROStepAnnotation& a : r.annotations) {
    KROBaseUnknown* object = nullptr;
    std::string name, text;
    list<KROBaseUnknown>* tpss = r.set->GetTPSList();
    if (tpss && a.id >= 1 && a.id <= tpss->Size()) object = tpss->At(a.id - 1);
    KROComPtr<KROITPSLight> light;
    KROComPtr<KROITPSLightModel> model;
    if (object && SUCCEEDED(object->QueryInterface(IID_KROITPSLight, light.Put()))) {
      KROWChar* t = nullptr;
      light->GetName(&t);
      name = Text(t);
    }
    if (object && SUCCEEDED(object->QueryInterface(IID_KROITPSLightModel, model.Put()))) {
      KROWChar* t = nullptr;
      model->GetAttributes(&t);
      text = Text(t);
    }
    const std::string kind = KROStepKindName(a.kind);
    std::string faceTags;
    nlohmann::json faces = nlohmann::json::array();
    for (int tag : a.tags) {
      const KROStepTag* t = r.FindTag(tag);
      if (!t || t->kind != KROStepTag::Kind::Face) continue;
      faces.push_back(tag);
      if (!faceTags.empty()) faceTags += ' ';
      faceTags += std::to_string(tag);
    }
    tags[std::to_string(a.id)] = faces;
    rows += "<tr class=\"row\" id=\"row-a" + std::to_string(a.id) + "\" data-id=\"" +
            std::to_string(a.id) + "\"><td>" + std::to_string(a.id) + "</td><td class=\"" + kind +
            "\">" + kind + "</td><td>" + Escape(name) + "</td><td>" + Escape(text) + "</td><td>" +
            faceTags + "</td></tr>\n";
  }

  page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>" +
         Escape(file) + " - PMI</title>\n<style>" + kStyle + "</style></head><body>\n<h1>" +
         Escape(file) + "</h1>\n<p>" + std::to_string(r.annotations.size()) +
         " annotations. Choose a row to highlight the annotation and its faces; choose a camera "
         "to see the part through it.</p>\n<div id=\"cameras\">" +
         buttons + "</div>\n" + pictures +
         "<table id=\"annotations\"><tr><th>id</th><th>kind</th><th>name</th><th>text</th>"
         "<th>faces</th></tr>\n" +
         rows + "</table>\n<script>\nvar items=" + ScriptJson(items) +
         ";\nvar tags=" + ScriptJson(tags) + ";\n" + kScript + "</script>\n</body></html>\n";
  return true;
}
