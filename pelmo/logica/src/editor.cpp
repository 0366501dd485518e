#include "pelmo/editor.hpp"

#include <unistd.h>

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

// The validation sequence, "&Limpiar form" and "&Grabar" come with the
// validator's support; until then the buttons do nothing.
void Editor::cmdValidar_Click() {}
void Editor::cmdLimpiar_Click() {}
void Editor::cmdGrabar_Click() {}

void Editor::Salir_Click() {
    switch (port_.message("Desea guardar los cambios?", "Declaraciones Juradas",
                          platform::Buttons::yes_no_cancel, platform::Icon::exclamation)) {
        case platform::Answer::yes:
            cmdGrabar_Click();
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
