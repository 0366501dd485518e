#include "pelmo/editor.hpp"

#include <unistd.h>

#include <ctime>
#include <limits>

#include "components/component.hpp"
#include "pelmo/errores_arranque.hpp"
#include "pelmo/formatos.hpp"
#include "platform/errors.hpp"
#include "platform/paths.hpp"
#include "platform/process.hpp"
#include "platform/text.hpp"

namespace pelmo {

namespace fs = std::filesystem;
namespace comp = components;

Editor::Editor(fs::path install, platform::MessagePort& port, Pantalla& pantalla)
    : iniciar([](const std::vector<std::string>& argv) { return platform::start_detached(argv); }),
      install_(std::move(install)),
      port_(port),
      pantalla_(pantalla),
      entorno_{install_, port_, pantalla_, [this](Foco f) { enfocar(f); }},
      encabezado(entorno_, marco.Caption),
      informados(entorno_),
      totales(entorno_) {
    informados.RefrescaTotales = [this] { RefrescaTotales(); };
}

Editor::~Editor() {
    informados.CerrarArchivo();
    comp::set_message_port(nullptr);  // the port may go before the component layer
}

bool Editor::Main() {
    // Kvario's own messages go to this program's port.
    comp::set_message_port(&port_);
    try {
        objDatos.emplace();
        objSesion.emplace();
        objRegistro.emplace();
        Form_Load();
        return true;
    } catch (const comp::ComponentError& e) {
        fallo_arranque(e.number(), e.description());
    } catch (const ErrorArranque& e) {
        fallo_arranque(e.error.number, e.error.description);
    }
    return false;
}

void Editor::fallo_arranque(int numero, const std::string& descripcion) {
    port_.message(std::to_string(numero) + ":" + descripcion, "No se puede inicalizar la DJ",
                  platform::Buttons::ok, platform::Icon::critical);
    IniciaTarvo();
    terminado = true;
}

void Editor::IniciaTarvo() {
    const fs::path propio = platform::join(install_, "Tarvo");
    const bool en_install = ::access(propio.c_str(), X_OK) == 0;
    iniciar({en_install ? propio.string() : std::string("Tarvo")});  // a failure is ignored
}

void Editor::MuestraSecciones() {
    const Disposicion d = Disponer(marco.AnchoMarco, marco.AltoMarco);
    pantalla_.colocar(Ventana::frmHeader1832, d.header);
    objSesion->UbicacionArchivo2(platform::join(install_, "registro/Rut.Tmp"));
    objSesion->LeerDatos();
    rut_sesion = objSesion->Get_Valor("RUT");
    dv_sesion = objSesion->Get_Valor("DV");
    raz_sesion = objSesion->Get_Valor("RAZ");
    // The declarant's file names are built from the RUT: anything but digits
    // (a path, say) could name a file outside the install folder.
    for (char c : platform::trim(rut_sesion))
        if (c < '0' || c > '9')
            throw ErrorArranque(platform::RuntimeError::from(platform::err::bad_file_name));
    // The folders of the declarant's files, when the installation lacks them.
    std::error_code ec;
    platform::create_folder(platform::join(install_, "Forms"), ec);
    platform::create_folder(platform::join(install_, "Forms/1832"), ec);
    objDatos->UbicacionArchivo2(
        platform::join(install_, "Forms/1832/" + std::string(platform::trim(rut_sesion)) + ".Rut"));
    objDatos->LeerDatos();
    pantalla_.colocar(Ventana::frmInformados, d.informados);
    informados.Form_Load();
}

void Editor::Form_Load() {
    marco.FormaLista = false;
    informados.PreparaMarcaVacia();
    MuestraSecciones();
    marco.AnchoMarco = medida::ancho_marco;
    marco.AltoMarco = medida::alto_marco;
    const Disposicion d = Disponer(marco.AnchoMarco, marco.AltoMarco);
    pantalla_.colocar(Ventana::MDIFormDJ, d.marco);
    pantalla_.eventos();
    pantalla_.colocar(Ventana::frmBotones, d.botones);
    pantalla_.colocar(Ventana::frmTotales, d.totales);
    pantalla_.colocar(Ventana::frmRutRepresentateLegal, d.representante);
    pantalla_.colocar(Ventana::frmRelleno, d.relleno);
    errores.limpiar();
    pantalla_.colocar(Ventana::frmErrores, d.errores);
    LeeParametros(install_, parametros);
    CargaEncabezado();
    RutDeclarante = formato(encabezado.txtRutDeclarante.texto, "########");
    informados.RutDeclarante = RutDeclarante;
    CargaItems();
    informados.CargaGrilla();
    RefrescaTotales();
    cmdValidar_Click();
    enfocar({Campo::txtRutDeclarante});
    marco.FormaLista = true;
    pantalla_.eventos();
}

void Editor::CargaEncabezado() {
    objSesion->UbicacionArchivo2(platform::join(install_, "registro/Rut.Tmp"));
    objSesion->LeerDatos();
    rut_sesion = objSesion->Get_Valor("RUT");
    dv_sesion = objSesion->Get_Valor("DV");
    raz_sesion = objSesion->Get_Valor("RAZ");

    Encabezado& h = encabezado;
    h.txtRutDeclarante.max_largo = 10;
    h.txtRutDeclarante.texto = formato(rut_sesion, "##,###,###");
    h.txtDvDeclarante.texto = dv_sesion;
    h.txtNombreDeclarante.texto = raz_sesion;
    h.ActualizaCaption();

    objRegistro->UbicacionArchivo2(
        platform::join(install_, "registro/" + formato(rut_sesion, "########") + ".Rut"));
    if (objRegistro->LeerDatos()) {
        h.txtDireccion.texto = objRegistro->Get_Valor("DOM");
        h.txtCorreo.texto = objRegistro->Get_Valor("DIR");
        h.txtFax.texto = objRegistro->Get_Valor("FAX");
        h.txtTelefono.texto = objRegistro->Get_Valor("TEL");
        h.LlenaComunas(objRegistro->Get_Valor("COMUNA"));
    }

    std::string folio = objDatos->Get_Valor("FOLIO");
    h.secuencia = std::string(platform::mid(folio, 6, 2));
    if (platform::trim(folio).empty())
        folio = NuevoFolio(install_, "1832", rut_sesion, parametros, h.secuencia);
    h.lblFolio = folio;

    h.txtRutAnterior.texto = objDatos->Get_Valor("RUTANT");
    h.txtDvAnterior.texto = objDatos->Get_Valor("DVANT");
    h.txtFolioAnterior.texto = objDatos->Get_Valor("FOLANT");
    const std::string ori = objDatos->Get_Valor("ORI");
    h.txtOriginal.texto = ori == "SI" || ori.empty() ? "X" : "";

    h.RevisaFolio(parametros, rut_sesion);

    for (int i = 1; i <= 2; ++i) {
        totales.Cajas[i].max_largo = 26;
        totales.Cajas[i].texto =
            formato(objDatos->Get_Valor(i == 1 ? "TOT1" : "TOT2"), "##,###,###,###,###,###,###");
    }
    h.txtRutRepresentanteLegal.max_largo = 10;
    h.txtRutRepresentanteLegal.texto = formato(objDatos->Get_Valor("RUTREP"), "##,###,###");
    h.txtDvRepresentanteLegal.texto = objDatos->Get_Valor("DVREP");
}

void Editor::CargaItems() {
    const long long filas = valor_entero(objDatos->Get_Valor("MAX_ROWS"));
    const long long columnas = valor_entero(objDatos->Get_Valor("MAX_COLS"));
    std::error_code ec;
    const fs::path ruta = informados.ruta_dmp();
    informados.CerrarArchivo();
    EscritorRegistros escritor;
    bool ok = escritor.abrir(ruta, ec);
    std::string linea;
    int c = 0;
    const long long total = filas > 0 && columnas > 0 ? filas * columnas : 0;
    for (long long j = 1; ok && j <= total; ++j) {
        if (c != 0) {
            linea +=
                alinear_izquierda(objDatos->Get_Valor("ITEM" + std::to_string(j)), kLargoCelda);
            linea += ';';
        }
        if (c == 6) {
            ok = escritor.agregar(linea, ' ', ec);
            linea.clear();
            c = -1;
        }
        ++c;
    }
    ok = escritor.cerrar(ec) && ok;
    if (!ok) {
        const auto e = platform::RuntimeError::from(ec);
        port_.message("H0003 :" + std::to_string(e.number) + " :" + e.description, "");
    }
}

void Editor::RefrescaTotales() {
    informados.FILAS_DE_DATOS();
    totales.Cajas[1].max_largo = 26;
    totales.Cajas[2].max_largo = 26;
    totales.Cajas[2].max_largo = 9;
}

fs::path Editor::ruta_temporal() const {
    return platform::join(install_, "Forms/Temp/Temporal.txt");
}

fs::path Editor::ruta_errores() const {
    return platform::join(install_, "FORMS/TEMP/errores.txt");
}

void Editor::habilitar(bool activo) {
    MDIFormDJ_habilitado = activo;
    pantalla_.habilitar(activo);
}

void Editor::cmdValidar_Click() {
    pantalla_.ocupado(true);
    try {
        RefrescaTotales();
        informados.CompactaDMP();
        informados.INICIA_MARCA_de_LINEAS();
        informados.CargaGrilla();
        habilitar(false);
        pantalla_.eventos();
        // Without a fresh validation file the fields would be emptied and
        // read back from an older one: they keep what the user typed.
        if (GrabaTemporal()) {
            EjecutaValidador();
            LimpiaEncabezado();
            LeeTemporal();
            LeeErrores();
        }
        habilitar(true);
        pantalla_.ocupado(false);
        informados.PRIMERA_ROWS = 1;
        informados.CargarDATOS();
        pantalla_.beep();
        pantalla_.eventos();
    } catch (const comp::ComponentError&) {
        pantalla_.beep();
        habilitar(true);
        pantalla_.ocupado(false);
    }
}

namespace {

// Blanks removed at both ends.
std::string recortado(std::string_view t) {
    return std::string(platform::trim(t));
}

// The number that follows "Línea " in a message when a "," comes somewhere
// after it; 0 when there is none.
long long linea_del_mensaje(std::string_view mensaje) {
    static constexpr std::string_view kLinea = "L\xEDnea ";  // Windows-1252
    const auto p = mensaje.find(kLinea);
    if (p == std::string_view::npos) return 0;
    const std::string_view resto = mensaje.substr(p + kLinea.size());
    if (resto.find(',') == std::string_view::npos) return 0;
    long long n = 0;
    for (char c : resto) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<std::int32_t>::max()) return 0;
    }
    return n;
}

// Whether an error code names a grid line (its characters 2 to 4 make 17 or
// more).
bool codigo_de_linea(std::string_view codigo) {
    return valor_entero(platform::mid(codigo, 2, 3)) >= 17;
}

}  // namespace

bool Editor::GrabaTemporal() {
    const Encabezado& h = encabezado;
    std::error_code ec;
    platform::create_folder(platform::join(install_, "Forms/Temp"), ec);
    objDatos->UbicacionArchivo2(ruta_temporal());
    objDatos->Nuevo_Archivo();
    const bool original = h.txtOriginal.texto == "X";
    objDatos->ADD_Valor("RUT", recortado(formato(h.txtRutDeclarante.texto, "########")));
    objDatos->ADD_Valor("DV", recortado(h.txtDvDeclarante.texto));
    objDatos->ADD_Valor("RAZ", recortado(h.txtNombreDeclarante.texto));
    objDatos->ADD_Valor("FOLIO", recortado(h.lblFolio));
    objDatos->ADD_Valor("DOM", recortado(h.txtDireccion.texto));
    objDatos->ADD_Valor("DIR", recortado(h.txtCorreo.texto));
    objDatos->ADD_Valor("TEL", recortado(h.txtTelefono.texto));
    objDatos->ADD_Valor("FAX", recortado(h.txtFax.texto));
    objDatos->ADD_Valor("ORI", original ? "SI" : "NO");
    objDatos->ADD_Valor("REC", original ? "NO" : "SI");
    objDatos->ADD_Valor("RUTANT", recortado(formato(h.txtRutAnterior.texto, "########")));
    objDatos->ADD_Valor("DVANT", recortado(h.txtDvAnterior.texto));
    objDatos->ADD_Valor("FOLANT", recortado(h.txtFolioAnterior.texto));
    objDatos->ADD_Valor("COMUNA", h.texto_comuna());
    objDatos->ADD_Valor("FORMDJ", "1832");
    AgregaItems();
    const std::int32_t filas = informados.FILAS_DE_DATOS();
    const std::int32_t columnas = informados.GRD_COLS + 1;
    objDatos->ADD_Valor("MAX_ELEMENTOS", std::to_string(std::int64_t(filas) * columnas));
    objDatos->ADD_Valor("MAX_COLS", std::to_string(columnas));
    objDatos->ADD_Valor("MAX_ROWS", std::to_string(filas));
    objDatos->ADD_Valor("TOT1", formato(totales.Cajas[1].texto, "####################"));
    objDatos->ADD_Valor("TOT2", formato(totales.Cajas[2].texto, "####################"));
    objDatos->ADD_Valor("RUTREP",
                        recortado(formato(h.txtRutRepresentanteLegal.texto, "###############")));
    objDatos->ADD_Valor("DVREP", recortado(h.txtDvRepresentanteLegal.texto));
    if (objDatos->EscribirDatos()) return true;
    port_.message("No se grabó el archivo " + ruta_temporal().string() + ": " +
                      platform::cp1252_to_utf8(objDatos->MensajeError()),
                  "Validar", platform::Buttons::ok, platform::Icon::critical);
    return false;
}

void Editor::EjecutaValidador() {
    const fs::path vexal = platform::join(install_, "Vexal");
    const platform::RunResult r =
        platform::Ejecutar_y_Esperar({vexal.string()}, [this] { pantalla_.eventos(); });
    // The list that follows would read as a clean declaration: say that
    // nothing was checked.
    if (!r.started)
        port_.message(
            "No se pudo ejecutar el validador " + vexal.string() + ": " +
                platform::RuntimeError::from(std::error_code(r.error, std::generic_category()))
                    .description,
            "Validar", platform::Buttons::ok, platform::Icon::critical);
}

void Editor::LimpiaEncabezado() {
    Encabezado& h = encabezado;
    h.txtRutDeclarante.fondo = color::blanco;
    h.txtDvDeclarante.fondo = color::blanco;
    for (Caja* c :
         {&h.txtNombreDeclarante, &h.txtDireccion, &h.txtCorreo, &h.txtTelefono, &h.txtFax}) {
        c->texto.clear();
        c->fondo = color::blanco;
    }
    h.lblFolio.clear();
    for (Caja* c : {&h.txtOriginal, &h.txtRutAnterior, &h.txtDvAnterior, &h.txtFolioAnterior})
        c->fondo = color::gris_claro;
    h.cmbComuna_fondo = color::blanco;
    for (Caja* c : {&totales.Cajas[1], &totales.Cajas[2], &h.txtRutRepresentanteLegal,
                    &h.txtDvRepresentanteLegal}) {
        c->texto.clear();
        c->fondo = color::blanco;
    }
}

void Editor::LeeTemporal() {
    Encabezado& h = encabezado;
    objDatos->UbicacionArchivo2(platform::join(install_, "Forms/Temp/temporal.txt"));
    if (!objDatos->LeerDatos()) return;
    h.txtNombreDeclarante.texto = objDatos->Get_Valor("RAZ");
    h.txtCorreo.texto = objDatos->Get_Valor("DIR");
    h.txtDireccion.texto = objDatos->Get_Valor("DOM");
    h.txtTelefono.texto = objDatos->Get_Valor("TEL");
    h.txtFax.texto = objDatos->Get_Valor("FAX");
    h.lblFolio = objDatos->Get_Valor("FOLIO");
    h.txtOriginal.texto = objDatos->Get_Valor("ORI") == "SI" ? "X" : "";
    if (objDatos->Get_Valor("REC") == "SI") h.txtOriginal.texto.clear();
    h.txtRutAnterior.texto = objDatos->Get_Valor("RUTANT");
    h.txtDvAnterior.texto = objDatos->Get_Valor("DVANT");
    h.txtFolioAnterior.texto = objDatos->Get_Valor("FOLANT");
    for (int i = 1; i <= 2; ++i) {
        totales.Cajas[i].max_largo = 26;
        totales.Cajas[i].texto =
            formato(objDatos->Get_Valor(i == 1 ? "TOT1" : "TOT2"), "##,###,###,###,###,###,###");
    }
    h.txtRutRepresentanteLegal.max_largo = 10;
    h.txtRutRepresentanteLegal.texto = formato(objDatos->Get_Valor("RUTREP"), "##,###,###");
    h.txtDvRepresentanteLegal.texto = objDatos->Get_Valor("DVREP");
}

void Editor::LeeErrores() {
    try {
        kvario::Kvario lista;
        lista.UbicacionArchivo2(ruta_errores());
        lista.LeerDatos();
        const std::int32_t n = lista.Cantidad_de_Elementos();
        lista.Crear_indice_de_elementos();
        errores.limpiar();
        errores.CodigosError.assign(static_cast<std::size_t>(std::max(n, 0)) + 1, std::string());
        std::size_t k = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::string clave = lista.GETidx_Key(i);
            const std::string codigo = clave.substr(0, clave.find(':'));
            const std::string mensaje = lista.GETidx_Valor(i);
            errores.CodigosError[k++] = codigo;
            std::string linea = " " + codigo;
            if (linea.size() < 6) linea.resize(6, ' ');
            linea += "  ";
            linea += platform::mid(mensaje, 1, 120);
            errores.List1.push_back(std::move(linea));
            ColoreaError(codigo, mensaje);
        }
    } catch (const comp::ComponentError&) {
        // An error file that cannot be read lists nothing.
    }
    if (errores.List1.empty()) errores.List1.push_back(platform::utf8_to_cp1252(kSinErrores));
}

void Editor::ColoreaError(const std::string& codigo, const std::string& mensaje) {
    Encabezado& h = encabezado;
    auto pinta = [](std::initializer_list<Caja*> cajas, Color c) {
        for (Caja* caja : cajas) caja->fondo = c;
    };
    const auto es = [&codigo](std::initializer_list<std::string_view> codigos) {
        for (std::string_view c : codigos)
            if (codigo == c) return true;
        return false;
    };
    if (es({"H012a"}))
        pinta({&h.txtNombreDeclarante}, color::verde);
    else if (es({"H012b"}))
        pinta({&h.txtDireccion}, color::verde);
    else if (es({"H012c"}))
        pinta({&h.txtCorreo}, color::verde);
    else if (es({"H012d"}))
        pinta({&h.txtCorreo}, color::amarillo);
    else if (es({"H012e"}))
        pinta({&h.txtTelefono}, color::amarillo);
    else if (es({"H012f"}))
        pinta({&h.txtTelefono}, color::verde);
    else if (es({"H014a"}))
        pinta({&h.txtRutDeclarante, &h.txtDvDeclarante}, color::verde);
    else if (es({"H014b", "H015"}))
        pinta({&h.txtRutDeclarante, &h.txtDvDeclarante}, color::amarillo);
    else if (es({"H016a"}))
        pinta({&h.txtOriginal}, color::amarillo);
    else if (es({"H016b", "H016c"}))
        pinta({&h.txtRutAnterior, &h.txtDvAnterior}, color::amarillo);
    else if (es({"H020a", "H030", "H031"}))
        pinta({&totales.Cajas[1]}, color::amarillo);
    else if (es({"H020c"}))
        pinta({&totales.Cajas[2]}, color::amarillo);
    else if (es({"H020b", "H029"}))
        return;
    else if (es({"I002"}))
        pinta({&h.txtRutRepresentanteLegal, &h.txtDvRepresentanteLegal}, color::amarillo);
    else if (es({"I003"}))
        h.cmbComuna_fondo = color::verde;
    else if (es({"I004"}))
        pinta({&h.txtFolioAnterior}, color::amarillo);
    else if (codigo_de_linea(codigo)) {
        // Lines past what a grid page can reach are not marked.
        const long long n = linea_del_mensaje(mensaje);
        if (n >= 1 && n <= std::numeric_limits<std::int16_t>::max())
            informados.MARCAR_LINEA(static_cast<std::int16_t>(n), color::amarillo);
    }
}

void Editor::List1_Click(int fila) {
    if (fila < 0 || static_cast<std::size_t>(fila) >= errores.CodigosError.size() ||
        static_cast<std::size_t>(fila) >= errores.List1.size())
        return;
    const std::string codigo = recortado(errores.CodigosError[static_cast<std::size_t>(fila)]);
    const auto es = [&codigo](std::initializer_list<std::string_view> codigos) {
        for (std::string_view c : codigos)
            if (codigo == c) return true;
        return false;
    };
    auto ir = [this](Campo campo, int indice, int tecla) {
        enfocar({campo, indice});
        pantalla_.DesplazaVentana(tecla);
    };
    if (es({"H014a", "H014b", "H015"}))
        ir(Campo::txtRutDeclarante, 0, tecla::inicio);
    else if (es({"H012a"}))
        ir(Campo::txtNombreDeclarante, 0, tecla::inicio);
    else if (es({"H012b"}))
        ir(Campo::txtDireccion, 0, tecla::inicio);
    else if (es({"H012c", "H012d"}))
        ir(Campo::txtCorreo, 0, tecla::inicio);
    else if (es({"H012e", "H012f", "I006"}))
        ir(Campo::txtTelefono, 0, tecla::inicio);
    else if (es({"I007"}))
        ir(Campo::txtFax, 0, tecla::inicio);
    else if (es({"H016a", "H016b", "H016c"})) {
        pantalla_.DesplazaVentana(tecla::inicio);
        for (int i = 0; i < 10; ++i) pantalla_.DesplazaVentana(tecla::derecha);
    } else if (es({"H020a"}))
        ir(Campo::Totales, 1, tecla::fin);
    else if (es({"H020c", "H021"}))
        ir(Campo::Totales, 2, tecla::fin);
    else if (es({"I002"}))
        ir(Campo::txtRutRepresentanteLegal, 0, tecla::fin);
    else if (es({"H020b"}))
        return;
    else if (codigo_de_linea(codigo)) {
        const long long n = linea_del_mensaje(errores.List1[static_cast<std::size_t>(fila)]);
        if (n >= 1 && n <= std::numeric_limits<std::int16_t>::max()) {
            informados.PRIMERA_ROWS = static_cast<std::int16_t>(n);
            informados.CargarDATOS();
        }
    }
}

void Editor::AgregaItems() {
    std::int64_t i = 0;
    std::error_code ec;
    recorrer_registros(
        informados.ruta_dmp(),
        [&](std::int64_t a, std::string_view r) {
            if (r.substr(0, informados.MarcaVacia.size()) == informados.MarcaVacia) return true;
            if (!es_linea_de_datos(r)) return true;
            objDatos->ADD_Valor("ITEM" + std::to_string(++i), std::to_string(a));
            for (std::size_t c = 0; c < 6; ++c)
                objDatos->ADD_Valor("ITEM" + std::to_string(++i),
                                    platform::trim(r.substr(c * 19, kLargoCelda)));
            return true;
        },
        ec);
    if (ec)
        port_.message("Error: archivo corrupto" + platform::RuntimeError::from(ec).description, "");
}

void Editor::LimpiaDMP() {
    informados.CerrarArchivo();
    const fs::path ruta = informados.ruta_dmp();
    std::error_code ec;
    if (fs::remove(ruta, ec) && !ec) {
        EscritorRegistros escritor;
        std::string linea;
        for (int c = 0; c < 6; ++c) linea += std::string(kLargoCelda, ' ') + ';';
        if (escritor.abrir(ruta, ec)) escritor.agregar(linea, ' ', ec);
        std::error_code cierre;
        escritor.cerrar(cierre);
        if (!ec) ec = cierre;
    } else if (!ec) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (ec) {
        const auto e = platform::RuntimeError::from(ec);
        port_.message(std::to_string(e.number) + "   ,  " + e.description, "");
    }
}

void Editor::cmdLimpiar_Click() {
    LimpiaDMP();
    informados.CargaGrilla();
    cmdCalcular_Click();
    cmdValidar_Click();
}

void Editor::no_grabado(const fs::path& ruta, const std::string& motivo) {
    port_.message("No se grabó el archivo " + ruta.string() +
                      (motivo.empty() ? std::string() : ": " + motivo),
                  "Grabar", platform::Buttons::ok, platform::Icon::critical);
}

bool Editor::Grabar() {
    cmdValidar_Click();
    // The busy pointer while the files are written, whatever way this ends.
    struct Ocupado {
        Pantalla& p;
        explicit Ocupado(Pantalla& q) : p(q) { p.ocupado(true); }
        ~Ocupado() { p.ocupado(false); }
    } ocupado(pantalla_);
    const Encabezado& h = encabezado;
    const std::string rut = recortado(formato(h.txtRutDeclarante.texto, "########"));
    // The file names are built from the RUT: anything but digits could name a
    // file outside the install folder.
    const bool rut_valido =
        !rut.empty() && rut.find_first_not_of("0123456789") == std::string::npos;
    const fs::path datos = platform::join(install_, "Forms/1832/" + rut + ".Rut");
    if (!rut_valido) {
        no_grabado(datos, platform::RuntimeError::from(platform::err::bad_file_name).description);
        return false;
    }
    try {
        objDatos->UbicacionArchivo2(datos);
        objDatos->Nuevo_Archivo();
        const bool original = h.txtOriginal.texto == "X";
        std::time_t ahora = std::time(nullptr);
        std::tm t{};
        ::localtime_r(&ahora, &t);
        char fecha[32];
        std::strftime(fecha, sizeof fecha, "%Y%m%d %H:%M:%S", &t);
        objDatos->ADD_Valor("RUT", recortado(formato(h.txtRutDeclarante.texto, "###############")));
        objDatos->ADD_Valor("DV", recortado(h.txtDvDeclarante.texto));
        objDatos->ADD_Valor("RAZ", recortado(h.txtNombreDeclarante.texto));
        objDatos->ADD_Valor("FOLIO", recortado(h.lblFolio));
        objDatos->ADD_Valor("DOM", recortado(h.txtDireccion.texto));
        objDatos->ADD_Valor("DIR", recortado(h.txtCorreo.texto));
        objDatos->ADD_Valor("TEL", recortado(h.txtTelefono.texto));
        objDatos->ADD_Valor("FAX", recortado(h.txtFax.texto));
        objDatos->ADD_Valor("ORI", original ? "SI" : "NO");
        objDatos->ADD_Valor("RUTANT", recortado(formato(h.txtRutAnterior.texto, "########")));
        objDatos->ADD_Valor("DVANT", recortado(h.txtDvAnterior.texto));
        objDatos->ADD_Valor("FOLANT", recortado(h.txtFolioAnterior.texto));
        objDatos->ADD_Valor("COMUNA", h.texto_comuna());
        objDatos->ADD_Valor("FORMDJ", "1832");
        objDatos->ADD_Valor("ENVIOWEB", "NO");
        const std::int32_t filas = informados.FILAS_DE_DATOS();
        const std::int32_t columnas = informados.GRD_COLS + 1;
        objDatos->ADD_Valor("MAX_ELEMENTOS", std::to_string(std::int64_t(filas) * columnas));
        objDatos->ADD_Valor("MAX_COLS", std::to_string(columnas));
        objDatos->ADD_Valor("MAX_ROWS", std::to_string(filas));
        objDatos->ADD_Valor("TOT1", formato(totales.Cajas[1].texto, "###############"));
        objDatos->ADD_Valor("TOT2", formato(totales.Cajas[2].texto, "###############"));
        objDatos->ADD_Valor(
            "RUTREP", recortado(formato(h.txtRutRepresentanteLegal.texto, "###############")));
        objDatos->ADD_Valor("DVREP", recortado(h.txtDvRepresentanteLegal.texto));
        objDatos->ADD_Valor("ULT_EDI", fecha);
        objDatos->ADD_Valor("ULT_VAL", fecha);
        AgregaItems();
        if (!objDatos->EscribirDatos()) {
            no_grabado(datos, platform::cp1252_to_utf8(objDatos->MensajeError()));
            return false;
        }
    } catch (const comp::ComponentError& e) {
        no_grabado(datos, e.description());
        return false;
    }

    const fs::path registro = platform::join(
        install_,
        "Registro/" + recortado(formato(h.txtRutDeclarante.texto, "##########")) + ".Rut");
    try {
        objRegistro->UbicacionArchivo2(registro);
        objRegistro->LeerDatos();
        objRegistro->ADD_Valor("RUT",
                               recortado(formato(h.txtRutDeclarante.texto, "###############")));
        objRegistro->ADD_Valor("DV", recortado(h.txtDvDeclarante.texto));
        objRegistro->ADD_Valor("RAZ", recortado(h.txtNombreDeclarante.texto));
        objRegistro->ADD_Valor("DOM", recortado(h.txtDireccion.texto));
        objRegistro->ADD_Valor("COMUNA", recortado(h.texto_comuna()));
        objRegistro->ADD_Valor("DIR", recortado(h.txtCorreo.texto));
        objRegistro->ADD_Valor("FAX", recortado(formato(h.txtFax.texto, "########")));
        objRegistro->ADD_Valor("TEL", recortado(formato(h.txtTelefono.texto, "########")));
        if (!objRegistro->EscribirDatos()) {
            no_grabado(registro, platform::cp1252_to_utf8(objRegistro->MensajeError()));
            return false;
        }
    } catch (const comp::ComponentError& e) {
        no_grabado(registro, e.description());
        return false;
    }

    if (!GrabaSecuencia(install_, "1832", rut_sesion, encabezado.secuencia)) {
        no_grabado(ruta_secuencia(install_, "1832", rut_sesion), "");
        return false;
    }
    return true;
}

void Editor::cmdLeyenda_Click() {
    habilitar(false);
    frmLeyenda_visible = true;
}

void Editor::Regresar_Click() {
    habilitar(true);
    frmLeyenda_visible = false;
}

void Editor::Salir_Click() {
    switch (port_.message("Desea guardar los cambios?", "Declaraciones Juradas",
                          platform::Buttons::yes_no_cancel, platform::Icon::exclamation)) {
        case platform::Answer::yes:
            // A save that failed keeps the editor open, so nothing typed is lost.
            if (!Grabar()) break;
            [[fallthrough]];
        case platform::Answer::no:
            IniciaTarvo();
            terminado = true;
            break;
        default:
            break;
    }
}

void Editor::enfocar(Foco destino) {
    if (destino == foco) {
        pantalla_.enfocar(destino);
        return;
    }
    const Foco antes = foco;
    foco = destino;
    LostFocus(antes);
    GotFocus(destino);
    pantalla_.enfocar(destino);
}

void Editor::GotFocus(Foco f) {
    switch (f.campo) {
        case Campo::Cajas:
            informados.Cajas_GotFocus(f.indice);
            break;
        case Campo::Totales:
            totales.GotFocus(f.indice);
            break;
        default:
            encabezado.GotFocus(f.campo);
    }
}

void Editor::LostFocus(Foco f) {
    switch (f.campo) {
        case Campo::Cajas:
            informados.Cajas_LostFocus(f.indice);
            break;
        case Campo::Totales:
            totales.LostFocus(f.indice);
            break;
        default:
            encabezado.LostFocus(f.campo);
    }
}

void Editor::KeyPress(Foco f, int& KeyAscii) {
    switch (f.campo) {
        case Campo::Cajas:
            informados.Cajas_KeyPress(f.indice, KeyAscii);
            break;
        case Campo::Totales:
            totales.KeyPress(f.indice, KeyAscii);
            break;
        case Campo::Combos:
        case Campo::boton:
        case Campo::lista_errores:
        case Campo::ninguno:
            break;
        default:
            encabezado.KeyPress(f.campo, KeyAscii);
    }
}

void Editor::KeyDown(Foco f, int KeyCode) {
    if (f.campo == Campo::Cajas)
        informados.Cajas_KeyDown(f.indice, KeyCode);
    else
        encabezado.KeyDown(f.campo, KeyCode);
}

void Editor::Change(Foco f, std::string texto) {
    switch (f.campo) {
        case Campo::Cajas:
            informados.Cajas_Change(f.indice, std::move(texto));
            break;
        case Campo::Totales:
            totales.Change(f.indice, std::move(texto));
            break;
        default:
            encabezado.Change(f.campo, std::move(texto));
    }
}

Caja* Editor::caja(Foco f) {
    switch (f.campo) {
        case Campo::Cajas:
            return f.indice >= 1 && f.indice <= 18 ? &informados.Cajas[f.indice] : nullptr;
        case Campo::Totales:
            return f.indice >= 1 && f.indice <= 2 ? &totales.Cajas[f.indice] : nullptr;
        default:
            return encabezado.caja(f.campo);
    }
}

}  // namespace pelmo
